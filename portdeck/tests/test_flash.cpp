// Flash From Disk against tallysim: the image arrives whole, the device's own
// reset is waited out and the link reopened, the updater resumes and the
// information sheet shows the new date; other buttons are refused meanwhile.
// A device that does not come back ends the update without hanging Portdeck.

#include "clock.h"
#include "tooltestfixture.h"

#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

namespace {

const char *const kUpdateRunning =
    "There is currently a product update in progress. Please wait for the update to complete.";

} // namespace

class FlashFromDisk : public ToolForm {
protected:
    // Opens the updater's screen of the business modem on COM2 and starts the download.
    QWidget *startFlash(int imageSize)
    {
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                         "Serial Number1", "TL0005");
        start();
        openProduct("56KModem");
        if (HasFatalFailure())
            return nullptr;
        image = firmwareImage("5172", "05/01/00", imageSize);
        QWidget *form = updaterWithImage(image);
        EXPECT_EQ(frame->control, "FlashFromDisk");
        EXPECT_EQ(frame->currentActivity, "FlashFromDisk");
        EXPECT_TRUE(frame->bFlashScreenOpened);
        EXPECT_TRUE(frame->bUsbResetTriggerAdded);
        if (!form)
            return nullptr;
        inForm<QPushButton>(form, "BrowseBtn")->click();
        auto *update = inForm<QPushButton>(form, "UpdateBtn");
        EXPECT_TRUE(update->isEnabled());
        update->click();   // the confirmation is answered Yes
        EXPECT_NE(frame->libs.updater.UpdateIsInProgress(), 0);
        return form;
    }
    // Opens the updater's screen, picks the image and presses Update; while
    // the confirmation is up, whileAsked runs (a button of the main window),
    // then the user answers Yes.
    void updateAnsweredLate(const std::function<void()> &whileAsked)
    {
        QWidget *form = updaterWithImage(firmwareImage("5172", "05/01/00", 3000));
        ASSERT_NE(form, nullptr);
        inForm<QPushButton>(form, "BrowseBtn")->click();
        bool asked = false;
        ui.onMessage = [&](const QString &text) {
            if (!text.startsWith("Load the firmware") || asked)
                return;
            asked = true;
            whileAsked();
        };
        ui.messageAnswers << IDYES;
        inForm<QPushButton>(form, "UpdateBtn")->click();
        ui.onMessage = nullptr;
        EXPECT_TRUE(asked);
    }
    bool updating() { return frame->libs.updater.UpdateIsInProgress() != 0; }
    QByteArray image;
};

TEST_F(FlashFromDisk, TheDeviceResetIsWaitedOutAndTheNewDateShown)
{
    if (!sim("56k", 2, {"--serial", "TL0005"}))
        GTEST_SKIP() << "tallysim is not built";
    QWidget *form = startFlash(20 * 1024 + 33);
    ASSERT_NE(form, nullptr);

    // Every other button is refused while the update runs, and so is closing the window.
    click(frame->terminalbtn);
    frame->backbtnClick();
    click(frame->TerminateBtn);
    // Refused for now, not for good: the Exit button is there again.
    EXPECT_TRUE(frame->TerminateBtn->isEnabled());
    EXPECT_TRUE(frame->TerminateBtn->paintedAvailable());
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(ui.messages().mid(ui.messages().size() - 4),
              QStringList({kUpdateRunning, kUpdateRunning, kUpdateRunning, kUpdateRunning}));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(logHas("FormClose()\n"));
    EXPECT_EQ(frame->control, "FlashFromDisk");
    EXPECT_FALSE(terminated);

    ASSERT_TRUE(waitFor([&] { return !updating(); }, 60000));
    EXPECT_EQ(inForm<QLabel>(form, "StatusLabel")->text(),
              "The firmware was updated. The device now reports firmware date 05/01/00.");
    EXPECT_TRUE(transcript(2).contains(
        QStringLiteral("firmware image of %1 bytes accepted, date 05/01/00").arg(image.size())));
    EXPECT_TRUE(logHas("AT~D <--lastflashcmd\n"));
    EXPECT_TRUE(logHas("before #1 closetapiconnection with b_PowerCycleUSB = true\n"));
    EXPECT_TRUE(logHas("re-open comport after power-cycle\n"));
    EXPECT_FALSE(frame->b_PowerCycleUSB);
    EXPECT_TRUE(frame->ApdComPort1->isOpen());

    // Leaving the flash screen reads the identity again.
    click(frame->backbtn);
    EXPECT_EQ(frame->control, "None");
    EXPECT_FALSE(frame->bFlashScreenOpened);
    EXPECT_TRUE(waitFor([&] { return frame->infoValues[3]->text() == "05/01/00"; }));
    EXPECT_TRUE(logHas("corvane UpdateRegistryAfterFlashUpdate(): send ATI7\n"));

    // A second visit installs no second reset trigger.
    const int handle = frame->usbResetTriggerHandle;
    click(frame->flashdiskbtn);
    EXPECT_EQ(frame->usbResetTriggerHandle, handle);
    // The Exit refused during the download ends the program once the download is over.
    click(frame->TerminateBtn);
    EXPECT_TRUE(waitFor([&] { return terminated; }));
    EXPECT_TRUE(logHas("Terminated in TerminateBtnClick()\n"));
    EXPECT_EQ(frame->libs.updater.module, nullptr);
}

TEST_F(FlashFromDisk, TheResetAfterTheUpdatersRestartCommandGoesToTheUpdater)
{
    // This device writes the image and stays up; the updater restarts it with
    // "at~x!" and waits for the port itself, so Portdeck does not close its line.
    if (!sim("56k", 2, {"--serial", "TL0005", "--fault", "stay-up-after-flash"}))
        GTEST_SKIP() << "tallysim is not built";
    QWidget *form = startFlash(3000);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(waitFor([&] { return !updating(); }, 60000));
    EXPECT_EQ(inForm<QLabel>(form, "StatusLabel")->text(),
              "The firmware was updated. The device now reports firmware date 05/01/00.");
    EXPECT_TRUE(transcript(2).contains("> at~x!\\r"));
    EXPECT_TRUE(logHas("at~x! <--lastflashcmd\n"));
    EXPECT_FALSE(logHas("before #1 closetapiconnection with b_PowerCycleUSB = true\n"));
    EXPECT_FALSE(logHas("re-open comport after power-cycle\n"));
    EXPECT_FALSE(frame->b_PowerCycleUSB);
    EXPECT_TRUE(frame->ApdComPort1->isOpen());

    click(frame->backbtn);
    EXPECT_TRUE(waitFor([&] { return frame->infoValues[3]->text() == "05/01/00"; }));
}

TEST_F(FlashFromDisk, ADeviceThatDoesNotComeBackEndsTheUpdate)
{
    if (!sim("56k", 2, {"--serial", "TL0005"}))
        GTEST_SKIP() << "tallysim is not built";
    QWidget *form = startFlash(4096);
    ASSERT_NE(form, nullptr);
    // The reset is waited out inside the port's event, so the pull happens from a timer there.
    bool pulled = false;
    QTimer pull;
    QObject::connect(&pull, &QTimer::timeout, [&] {
        if (!frame->b_PowerCycleUSB || pulled)
            return;
        pulled = true;
        for (auto &p : sims) {
            p->kill();
            p->waitForFinished(3000);
        }
    });
    pull.start(2);
    ASSERT_TRUE(waitFor([&] { return pulled; }, 60000));
    ASSERT_TRUE(waitFor([&] { return !updating(); }, 60000));
    EXPECT_TRUE(logHas("failed to re-open after power-cycle\n"));
    EXPECT_FALSE(frame->b_PowerCycleUSB);
    EXPECT_NE(inForm<QLabel>(form, "StatusLabel")->text(),
              "The firmware was updated. The device now reports firmware date 05/01/00.");
    // Portdeck stays usable: the way out works.
    click(frame->TerminateBtn);
    EXPECT_TRUE(terminated);
}

// The user leaves the updater's screen while its question is up and answers
// Yes afterwards: the screen is gone, so nothing is written to the device,
// no update is left running, and Back and Exit work.
TEST_F(FlashFromDisk, AQuestionAnsweredAfterTheScreenWasLeftStartsNothing)
{
    if (!sim("56k", 2, {"--serial", "TL0005"}))
        GTEST_SKIP() << "tallysim is not built";
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Business Modem",
                     "Serial Number1", "TL0005");
    start();
    openProduct("56KModem");
    updateAnsweredLate([&] { click(frame->backbtn); });
    EXPECT_EQ(frame->control, "None");
    // Again, leaving for the Configuration Manager this time.
    updateAnsweredLate([&] { click(frame->appwizBtn); });
    EXPECT_EQ(frame->control, "Appwizard");
    QTest::qWait(tl::ticksToMs(100));
    EXPECT_FALSE(updating());
    EXPECT_FALSE(transcript(2).contains("AT~D"));
    EXPECT_FALSE(ui.messages().contains(kUpdateRunning));

    click(frame->backbtn);
    EXPECT_TRUE(waitFor([&] { return frame->control == "None" && frame->backbtn->isEnabled(); }));
    click(frame->TerminateBtn);
    EXPECT_TRUE(waitFor([&] { return terminated; }));
}

// The file dialog is still open when the user leaves the screen; the file
// picked afterwards (one for another product) is not looked at, and no box
// of the hidden updater opens over the product screen.
TEST_F(FlashFromDisk, AFileChosenAfterTheScreenWasLeftOpensNothing)
{
    if (!sim("56k", 2, {"--serial", "TL0005"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("56KModem");
    QWidget *form = updaterWithImage(firmwareImage("5240", "05/01/00", 3000), "fw-isdn.bin");
    ASSERT_NE(form, nullptr);
    ui.onFileDialog = [&](const QString &) { click(frame->backbtn); };
    inForm<QPushButton>(form, "BrowseBtn")->click();
    ui.onFileDialog = nullptr;
    EXPECT_EQ(frame->control, "None");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ui.messages(), QStringList());
}
