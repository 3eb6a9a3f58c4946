// Devices plugged in or removed while Portdeck shows its device list are
// found, or dropped, by a detection pass of its own; never while a product
// screen or a tool is open.

#include "tooltestfixture.h"

#include <QApplication>
#include <QTimer>

namespace {

class Hotplug : public ToolForm {
protected:
    // The device buttons the user sees, by their tool tips.
    QStringList shownDevices()
    {
        QStringList shown;
        for (TCustomBitBtn *b : frame->deviceButtons) {
            if (!b->isHidden())
                shown << b->toolTip();
        }
        return shown;
    }
    int passesLogged() { return log().count(QLatin1String("Serial ports changed: detecting again")); }
    void unplug(int index)
    {
        sims[index]->terminate();
        ASSERT_TRUE(sims[index]->waitForFinished(5000));
    }
};

} // namespace

TEST_F(Hotplug, ADevicePluggedInAndRemovedChangesTheListWithoutAClick)
{
    if (!sim("isdnta", 1))
        GTEST_SKIP() << "tallysim not built";
    start();
    detected();
    ASSERT_EQ(shownDevices().size(), 1);

    ASSERT_TRUE(sim("56k", 2));
    detected();
    EXPECT_EQ(shownDevices().size(), 2);
    EXPECT_EQ(passesLogged(), 1);
    EXPECT_TRUE(transcript(2).contains("ATI7"));

    unplug(1);
    detected();
    EXPECT_EQ(shownDevices().size(), 1);
    EXPECT_EQ(passesLogged(), 2);
    // The list is usable as after a pass of the Detect button.
    EXPECT_TRUE(frame->detectBtn->isEnabled());
    EXPECT_TRUE(frame->ExitBtn->isEnabled());

    // Nothing changed since: no further pass.
    QTest::qWait(500);
    EXPECT_EQ(passesLogged(), 2);
}

TEST_F(Hotplug, AChangeWhileAProductScreenIsOpenWaitsForTheList)
{
    if (!sim("isdnta", 1))
        GTEST_SKIP() << "tallysim not built";
    start();
    openProduct("ISDNTA");
    ASSERT_TRUE(sim("idsl", 3));
    QTest::qWait(800);   // settle time and several retries at the test's clock
    EXPECT_EQ(passesLogged(), 0);
    EXPECT_FALSE(transcript(3).contains("ATI7", Qt::CaseInsensitive));

    // A tool on top: still nothing.
    click(frame->appwizBtn);
    ASSERT_TRUE(waitFor([&] { return shownForm() != nullptr; }));
    QTest::qWait(500);
    EXPECT_EQ(passesLogged(), 0);

    click(frame->backbtn);
    ASSERT_TRUE(waitFor([&] { return frame->control == QLatin1String("None") && frame->backbtn->isEnabled(); }));
    QTest::qWait(300);
    EXPECT_EQ(passesLogged(), 0);
    click(frame->backbtn);
    ASSERT_TRUE(waitFor([&] { return frame->OptionsPageControl->currentWidget() == frame->ModemSheet; }));
    detected();
    EXPECT_EQ(passesLogged(), 1);
    EXPECT_EQ(shownDevices().size(), 2);
}

TEST_F(Hotplug, NoPassWhileABoxIsUpOnTheList)
{
    if (!sim("isdnta", 1))
        GTEST_SKIP() << "tallysim not built";
    start();
    detected();
    setUiServices(nullptr);   // a real box, with its own loop
    int passesWhileBoxUp = -1;
    bool boxClosed = false;
    QTimer::singleShot(0, frame.get(), [&] {
        QTimer::singleShot(50, frame.get(), [&] {
            EXPECT_TRUE(sim("56k", 2));
            QTimer::singleShot(600, frame.get(), [&] {
                passesWhileBoxUp = passesLogged();
                if (QWidget *box = QApplication::activeModalWidget())
                    box->close();
            });
        });
        frame->messageBox(QStringLiteral("A box the user has not answered yet."));
        boxClosed = true;
    });
    ASSERT_TRUE(waitFor([&] { return boxClosed; }));
    setUiServices(&ui);
    EXPECT_EQ(passesWhileBoxUp, 0);
    detected();
    EXPECT_EQ(shownDevices().size(), 2);
}
