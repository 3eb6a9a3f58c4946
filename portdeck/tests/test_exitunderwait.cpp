// Exit and Back while a library's own wait or message box is still running,
// against tallysim with the real libraries: the libraries go only once their
// loops have returned, their open boxes are closed, and the exit is logged.

#include "clock.h"
#include "tooltestfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QScopeGuard>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QThread>
#include <QTimer>

namespace {

// Message boxes as the program shows them, real and modal with their own
// loop; the texts are recorded as the scripted services record them.
class RealBoxes : public ScriptedUiServices {
public:
    int messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons, int icon) override
    {
        ScriptedUiServices::messageBox(parent, text, caption, buttons, icon);
        setUiServices(nullptr);
        UiServices &qt = ui();
        setUiServices(this);
        return qt.messageBox(parent, text, caption, buttons, icon);
    }
    QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override
    {
        ScriptedUiServices::openFileName(parent, title, directory, filter);
        setUiServices(nullptr);
        UiServices &qt = ui();
        setUiServices(this);
        return qt.openFileName(parent, title, directory, filter);
    }
};

QDialog *openBox()
{
    return qobject_cast<QDialog *>(QApplication::activeModalWidget());
}

} // namespace

class ExitUnderWait : public ToolForm {
protected:
    void TearDown() override
    {
        // Nothing of a failed test may stay on screen with its loop.
        while (QDialog *box = openBox())
            box->reject();
        ToolForm::TearDown();
    }
    void useRealBoxes() { setUiServices(&boxes); }
    void registerSerial(const char *product, const char *serial)
    {
        reg::writeString(RegRoot::LocalMachine,
                         QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\%1").arg(product), "Serial Number1",
                         serial);
    }
    // Runs action once, from inside the first nested loop in which ready() holds.
    void onceInside(const std::function<bool()> &ready, const std::function<void()> &action)
    {
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, [this, ready, action] {
            if (QThread::currentThread()->loopLevel() > 0 && ready()) {
                watcher.stop();
                nestedLevel = QThread::currentThread()->loopLevel();
                action();
            }
        });
        watcher.start();
    }
    void expectEndedCleanly()
    {
        EXPECT_TRUE(waitFor([&] { return terminated; }, 30000));
        EXPECT_TRUE(logHas("Terminated in TerminateBtnClick()\n"));
        EXPECT_EQ(frame->libs.config.module, nullptr);
        EXPECT_EQ(frame->libs.quillon.module, nullptr);
        EXPECT_EQ(frame->libs.terminal.module, nullptr);
        EXPECT_EQ(frame->libs.updater.module, nullptr);
        EXPECT_EQ(frame->libs.decoder.module, nullptr);
        EXPECT_EQ(frame->libs.idsl.module, nullptr);
        EXPECT_EQ(openBox(), nullptr);
    }

    // The business modem's configuration with one setting changed, real boxes
    // from here on; returns its Done button.
    QPushButton *businessModemWithChangedSettings()
    {
        registerSerial("Business Modem", "TL0001");
        if (!sim("56k", 2, {"--serial", "TL0001"})) {
            ADD_FAILURE() << "tallysim is not built";
            return nullptr;
        }
        start();
        openProduct("56KModem");
        click(frame->appwizBtn);
        QWidget *form = formNamed("TMantletForm");
        auto *done = inForm<QPushButton>(form, "DoneBtn");
        auto *flow = inForm<QComboBox>(form, "FlowControlCombo");
        if (!done || !flow || !waitFor([&] { return done->isEnabled() && flow->count() > 1; }))
            return nullptr;
        QTest::qWait(300);   // the settings are read
        flow->setCurrentIndex((flow->currentIndex() + 1) % flow->count());
        useRealBoxes();
        return done;
    }

    RealBoxes boxes;
    QTimer watcher;
    int nestedLevel = 0;
};

TEST_F(ExitUnderWait, ExitDuringChangeCountrysWait)
{
    registerSerial("ISDN TA", "QB0001");
    if (!sim("isdnta", 1, {"--serial", "QB0001"}))
        GTEST_SKIP() << "tallysim is not built";
    start({"/l", "/y"});   // the library's waits yield
    openProduct("ISDNTA");
    ASSERT_TRUE(waitFor([&] { return frame->appwizBtn->isEnabled(); }));
    click(frame->appwizBtn);
    QWidget *form = shownForm();
    ASSERT_NE(form, nullptr);
    auto *configure = inForm<QPushButton>(form, "ConfigureBtn");
    ASSERT_TRUE(waitFor([&] { return configure->isVisible() && configure->isEnabled(); }));
    configure->click();
    auto *tabs = form->findChild<QTabBar *>();
    int location = -1;
    for (int i = 0; tabs && i < tabs->count(); ++i)
        if (tabs->tabText(i) == "Location")
            location = i;
    ASSERT_GE(location, 0);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(location).center());
    auto *countries = inForm<QComboBox>(form, "Combo_Country");
    auto *change = inForm<QPushButton>(form, "CountryBtn");
    ASSERT_TRUE(waitFor([&] { return countries->count() > 2 && change->isVisible() && change->isEnabled(); }));
    countries->setCurrentIndex(2);

    onceInside([&] { return !change->isEnabled(); }, [&] { click(frame->TerminateBtn); });
    click(change);
    EXPECT_GT(nestedLevel, 0);
    EXPECT_TRUE(logHas("exit waits for 1 nested loops\n"));
    expectEndedCleanly();
}

TEST_F(ExitUnderWait, BackThenExitWhileTheReadBacksFailureBoxIsUp)
{
    registerSerial("ISDN TA", "QB0001");
    if (!sim("isdnta", 1, {"--serial", "QB0001", "--fault", "error=ati15"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("ISDNTA");
    ASSERT_TRUE(waitFor([&] { return frame->appwizBtn->isEnabled(); }));
    useRealBoxes();
    bool toolLeft = false;
    onceInside([&] { return openBox() != nullptr; }, [&] {
        click(frame->backbtn);
        toolLeft = frame->control == "None";
        click(frame->TerminateBtn);
    });
    click(frame->appwizBtn);
    ASSERT_TRUE(waitFor([&] { return nestedLevel > 0; }, 30000));
    EXPECT_EQ(boxes.messages().value(0),
              "Failed to recieve response from modem.  Please verify the connection!");
    EXPECT_TRUE(toolLeft);
    expectEndedCleanly();
}

// The companion libraries, each with a box, a file dialog or a device wait of
// its own open when Exit comes.
TEST_F(ExitUnderWait, ExitWhileTheBusinessModemsSaveQuestionIsUp)
{
    QPushButton *done = businessModemWithChangedSettings();
    ASSERT_NE(done, nullptr);
    onceInside([&] { return openBox() != nullptr; }, [&] { click(frame->TerminateBtn); });
    click(done);
    EXPECT_EQ(boxes.messages().value(0), "Save the changed settings before leaving?");
    expectEndedCleanly();
}

TEST_F(ExitUnderWait, CloseWhileTheBusinessModemsSaveQuestionIsUp)
{
    QPushButton *done = businessModemWithChangedSettings();
    ASSERT_NE(done, nullptr);
    onceInside([&] { return openBox() != nullptr; }, [&] { frame->close(); });
    click(done);
    EXPECT_EQ(boxes.messages().value(0), "Save the changed settings before leaving?");
    EXPECT_TRUE(waitFor([&] { return terminated; }, 30000));
    EXPECT_TRUE(logHas("Terminated in FormClose()\n"));
    EXPECT_EQ(frame->libs.config.module, nullptr);
    EXPECT_EQ(openBox(), nullptr);
}

TEST_F(ExitUnderWait, ExitWhileTheUpdatersConfirmationIsUp)
{
    registerSerial("Business Modem", "TL0005");
    if (!sim("56k", 2, {"--serial", "TL0005"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("56KModem");
    QWidget *form = updaterWithImage(firmwareImage("5172", "05/01/00", 2025));
    ASSERT_NE(form, nullptr);
    inForm<QPushButton>(form, "BrowseBtn")->click();
    auto *update = inForm<QPushButton>(form, "UpdateBtn");
    ASSERT_TRUE(update->isEnabled());
    useRealBoxes();
    onceInside([&] { return openBox() != nullptr; }, [&] { click(frame->TerminateBtn); });
    click(update);
    EXPECT_TRUE(boxes.messages().value(0).startsWith("Load the firmware dated 05/01/00"));
    expectEndedCleanly();
    EXPECT_FALSE(transcript(2).contains("AT~D"));   // nothing was written to the device
}

TEST_F(ExitUnderWait, ExitWhileTheTerminalsFileDialogIsOpen)
{
    registerSerial("Business Modem", "TL0001");
    if (!sim("56k", 2, {"--serial", "TL0001"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("56KModem");
    click(frame->terminalbtn);
    QWidget *terminal = shownForm();
    ASSERT_NE(terminal, nullptr);
    useRealBoxes();
    onceInside([&] { return openBox() != nullptr; }, [&] { click(frame->TerminateBtn); });
    inForm<QPushButton>(terminal, "SendFileBtn")->click();
    EXPECT_EQ(boxes.shown.value(0).kind, "open");
    expectEndedCleanly();
}

TEST_F(ExitUnderWait, ExitWhileTheDecodersFileDialogIsOpen)
{
    registerSerial("ISDN TA", "QB0001");
    if (!sim("isdnta", 1, {"--serial", "QB0001"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("ISDNTA");
    ASSERT_TRUE(waitFor([&] { return frame->protomonitorbtn->isEnabled(); }));
    click(frame->protomonitorbtn);
    QWidget *decoder = shownForm();
    ASSERT_NE(decoder, nullptr);
    useRealBoxes();
    onceInside([&] { return openBox() != nullptr; }, [&] { click(frame->TerminateBtn); });
    inForm<QPushButton>(decoder, "OpenCaptureBtn")->click();
    EXPECT_EQ(boxes.shown.value(0).kind, "open");
    expectEndedCleanly();
}

TEST_F(ExitUnderWait, ExitWhileTheIdslLibraryReadsTheModem)
{
    if (!sim("idsl", 3))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("IDSL");
    QLabel *status = nullptr;
    onceInside(
        [&] {
            QWidget *form = formNamed("TTesselForm");
            status = form ? inForm<QLabel>(form, "StatusLabel") : nullptr;
            return status && status->text() == "Reading the modem's settings...";
        },
        [&] { click(frame->TerminateBtn); });
    click(frame->appwizBtn);
    ASSERT_TRUE(waitFor([&] { return nestedLevel > 0; }));
    // The library guards itself against its form going; it is not put to the test.
    EXPECT_TRUE(log().contains("exit waits for"));
    expectEndedCleanly();
}

TEST_F(ExitUnderWait, ExitDuringBacksOwnWaitKeepsTheToolsDisabled)
{
    registerSerial("Business Modem", "TL0001");
    if (!sim("56k", 2, {"--serial", "TL0001"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("56KModem");
    click(frame->terminalbtn);
    ASSERT_EQ(frame->control, "Terminal");
    // Back waits for the modem's goodbye and its identity; Exit comes meanwhile.
    onceInside([&] { return frame->currentActivity == "None"; }, [&] { click(frame->TerminateBtn); });
    click(frame->backbtn);
    EXPECT_GT(nestedLevel, 0);
    expectEndedCleanly();
    for (PanelButton *b : {frame->appwizBtn, frame->terminalbtn, frame->flashdiskbtn, frame->updatebtn,
                           frame->backbtn, frame->TerminateBtn})
        EXPECT_FALSE(b->isEnabled()) << qPrintable(b->objectName());
}

// The user opens a box before the window's start timer has run (Support right
// at start-up, its file dialog up while the timer ticks): the level of the
// main loop must still be known when Exit comes inside a tool's wait later.
// The window runs in a main loop of its own here, as in the program.
TEST_F(ExitUnderWait, ExitInsideAToolsDialogAfterABoxOpenedAtStartUp)
{
    registerSerial("Business Modem", "TL0001");
    if (!sim("56k", 2, {"--serial", "TL0001"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    frame->createDialogs();
    QEventLoop mainLoop;
    QTimer::singleShot(0, &mainLoop, [&] {
        const auto done = qScopeGuard([&] { mainLoop.quit(); });
        useRealBoxes();
        QTimer::singleShot(300, frame.get(), [] {
            if (QDialog *box = openBox())
                box->reject();
        });
        click(frame->supportBtn);   // returns when the dialog is closed
        ASSERT_EQ(boxes.shown.value(0).kind, "open");
        setUiServices(&ui);
        openProduct("56KModem");
        click(frame->terminalbtn);
        QWidget *terminal = shownForm();
        ASSERT_NE(terminal, nullptr);
        useRealBoxes();
        onceInside([&] { return QThread::currentThread()->loopLevel() > 1 && openBox(); },
                   [&] { click(frame->TerminateBtn); });
        inForm<QPushButton>(terminal, "SendFileBtn")->click();
        EXPECT_TRUE(logHas("exit waits for 1 nested loops\n"));
        expectEndedCleanly();
    });
    mainLoop.exec();
}

// Back hides the configuration; in TAPI mode the hiding asks the device for
// its country first, and the user chooses Protocol Decode meanwhile. The
// decoder is the one tool shown afterwards, and Back leaves it.
TEST_F(ExitUnderWait, AnotherToolChosenWhileBackHidesTheTool)
{
    registerSerial("ISDN TA", "QB0001");
    if (!sim("isdnta", 1, {"--serial", "QB0001", "--tapi-name", "Varnel Brenmoor ISDN TA"}))
        GTEST_SKIP() << "tallysim is not built";
    start({"/l", "/t"});
    openProduct("ISDNTA");
    ASSERT_TRUE(waitFor([&] { return frame->appwizBtn->isEnabled(); }));
    click(frame->appwizBtn);
    QWidget *configuration = shownForm();
    ASSERT_NE(configuration, nullptr);
    ASSERT_TRUE(waitFor([&] { return frame->protomonitorbtn->isEnabled() && frame->backbtn->isEnabled(); }));
    setFaults(1, "baud=600");   // the country's answer takes a moment
    onceInside([&] { return frame->control == "Appwizard" && !frame->backbtn->isEnabled(); },
               [&] { click(frame->protomonitorbtn); });
    click(frame->backbtn);
    setFaults(1, "");
    EXPECT_GT(nestedLevel, 0);
    EXPECT_EQ(frame->control, "Decoder");
    QWidget *decoder = formNamed("TWicketForm");
    ASSERT_NE(decoder, nullptr);
    EXPECT_TRUE(decoder->isVisible());
    EXPECT_FALSE(configuration->isVisible());
    EXPECT_TRUE(frame->backbtn->isEnabled());

    click(frame->backbtn);
    EXPECT_TRUE(waitFor([&] { return frame->control == "None" && frame->backbtn->isEnabled(); }));
    EXPECT_FALSE(decoder->isVisible());
    EXPECT_EQ(shownForm(), nullptr);
}

// The decoder's file dialog is still open when the user goes Back; the
// capture picked afterwards cannot be read, and the hidden decoder opens no
// box over the product screen to say so.
TEST_F(ExitUnderWait, ACaptureChosenAfterTheDecoderWasLeftOpensNoBox)
{
    registerSerial("ISDN TA", "QB0001");
    if (!sim("isdnta", 1, {"--serial", "QB0001"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("ISDNTA");
    ASSERT_TRUE(waitFor([&] { return frame->protomonitorbtn->isEnabled(); }));
    click(frame->protomonitorbtn);
    QWidget *decoder = shownForm();
    ASSERT_NE(decoder, nullptr);
    ui.fileAnswers << root.file("gone.bin");   // a capture the decoder cannot read
    ui.onFileDialog = [&](const QString &) { click(frame->backbtn); };
    inForm<QPushButton>(decoder, "OpenCaptureBtn")->click();
    ui.onFileDialog = nullptr;
    QTest::qWait(tl::ticksToMs(40));
    EXPECT_EQ(frame->control, "None");
    EXPECT_FALSE(decoder->isVisible());
    EXPECT_EQ(ui.messages(), QStringList());
}

// Back while the updater's question is up, nobody answering it: the question
// goes with the screen, and the update does not start.
TEST_F(ExitUnderWait, BackWhileTheUpdatersQuestionIsUpTakesTheQuestionAlong)
{
    registerSerial("Business Modem", "TL0005");
    if (!sim("56k", 2, {"--serial", "TL0005"}))
        GTEST_SKIP() << "tallysim is not built";
    start();
    openProduct("56KModem");
    QWidget *form = updaterWithImage(firmwareImage("5172", "05/01/00", 2025));
    ASSERT_NE(form, nullptr);
    inForm<QPushButton>(form, "BrowseBtn")->click();
    useRealBoxes();
    bool boxGone = false;
    onceInside([&] { return openBox() != nullptr; }, [&] {
        click(frame->backbtn);
        boxGone = openBox() == nullptr;
    });
    click(inForm<QPushButton>(form, "UpdateBtn"));
    EXPECT_GT(nestedLevel, 0);
    EXPECT_TRUE(boxGone);
    EXPECT_EQ(frame->control, "None");
    EXPECT_EQ(frame->libs.updater.UpdateIsInProgress(), 0);
    EXPECT_FALSE(transcript(2).contains("AT~D"));
}
