// The exports and the form's life cycle, in the host's calling order.
#include "formtest.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "registry.h"

class Lifecycle : public QuillonFormTest {};

TEST_F(Lifecycle, CallsThatTolerateAMissingForm)
{
    q.language(0x407, 0x407);
    EXPECT_EQ(q.helpId(), 0);
    q.destroy();
    EXPECT_EQ(form(), nullptr);
    EXPECT_EQ(*q.progressForm, nullptr);
}

TEST_F(Lifecycle, InitializeCreatesBorderlessChildWithAllPages)
{
    initialize();
    QWidget *f = form();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->parentWidget(), host.get());
    EXPECT_FALSE(f->isWindow());
    EXPECT_EQ(f->size(), QSize(515, 344));
    EXPECT_EQ(f->windowTitle(), "Quillon");
    ASSERT_NE(*q.progressForm, nullptr);
    EXPECT_EQ((*q.progressForm)->windowTitle(), "Progress");

    auto *pc = widget<TPageControl>("PageControl1");
    ASSERT_NE(pc, nullptr);
    const QList<QPair<QString, QString>> pages = {
        {"BasicSheet", "Basic "}, {"DataSheet", "Data"}, {"VoiceSheet", "Voice "}, {"AdvVoiceSheet", "Adv Voice"},
        {"ResetSheet", "Reset"}, {"ISDNSheet", "ISDN Line"}, {"PPPSheet", "PPP"}, {"ThresholdSheet", "Thresholds"},
        {"AODISheet", "AO/DI"}, {"X75Sheet", "X.75 "}, {"CallFSheet", "Call Forwarding"}, {"CLIDSheet", "CLID"},
        {"CountrySheet", "Location"}, {"SpidSheet", "Spid Wizard"}, {"DetectionSheet", "SpidDetection"},
        {"MSNSheet", "MSN Wizard"}, {"ProfileSheet", "Profiles"}, {"CongratsSheet", "CongratsSheet"}};
    ASSERT_EQ(pc->pages().size(), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pc->pages()[i]->objectName(), pages[i].first);
        EXPECT_EQ(pc->caption(pc->pages()[i]), pages[i].second);
    }
    EXPECT_EQ(activePage()->objectName(), "BasicSheet");
    EXPECT_FALSE(widget<QPushButton>("BtnProfile")->isVisibleTo(f));
    EXPECT_FALSE(widget<QPushButton>("Btn_CancelCongrats")->isVisibleTo(f));
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->geometry(), QRect(348, 316, 81, 25));
    // Nothing is sent before the form is shown.
    pumpEvents(50);
    EXPECT_TRUE(ta.received.isEmpty());
}

TEST_F(Lifecycle, VariantLayout)
{
    initialize("European");
    QWidget *f = form();
    EXPECT_TRUE(widget<QWidget>("GBox_Euro")->isVisibleTo(widget<QWidget>("ISDNSheet")));
    EXPECT_FALSE(widget<QWidget>("GBox_Domestic")->isVisibleTo(widget<QWidget>("ISDNSheet")));
    EXPECT_FALSE(widget<QWidget>("AdvCall2_CkBox")->isEnabled());
    EXPECT_FALSE(widget<QWidget>("RadioBtn_64K")->isVisibleTo(widget<QWidget>("BasicSheet")));
    EXPECT_TRUE(widget<QWidget>("Basic_CallFBtn")->isVisibleTo(widget<QWidget>("BasicSheet")));

    // A second initialisation reuses the form and lays out the new variant.
    q.initialize(host.get(), port, "12345", "Domestic", host.get(), kNotifyMessage);
    EXPECT_EQ(form(), f);
    EXPECT_TRUE(widget<QWidget>("GBox_Domestic")->isVisibleTo(widget<QWidget>("ISDNSheet")));
    EXPECT_TRUE(widget<QWidget>("RadioBtn_64K")->isVisibleTo(widget<QWidget>("BasicSheet")));
    EXPECT_TRUE(widget<QWidget>("AdvCall2_CkBox")->isEnabled());
    EXPECT_FALSE(widget<QWidget>("Basic_CallFBtn")->isVisibleTo(widget<QWidget>("BasicSheet")));
    EXPECT_FALSE(widget<QWidget>("AdvVoice1Btn")->isEnabled());   // advanced calls unchecked
}

TEST_F(Lifecycle, SecondInitializeRebindsMatchersToNewPort)
{
    initialize();
    FakeTa other;
    other.loadStandardReplies(0);
    TApdComPort *second = other.openPort(8, host.get());
    q.initialize(host.get(), second, "12345", "Domestic", host.get(), kNotifyMessage);
    q.show(1, 1, "APPLICATION", "US/Canada");
    EXPECT_TRUE(waitFor([&] { return other.received.contains("ati4\r") && !progressVisible(); }));
    EXPECT_TRUE(ta.received.isEmpty());
    EXPECT_EQ(q.europeanStatus(), 1);
}

TEST_F(Lifecycle, LoggingSettingsAreReadAtEveryInitialize)
{
    reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck", "Logging", "on");
    initialize();
    q.show(1, 1, "SPID", "US/Canada");
    ASSERT_TRUE(waitReceived(1));
    QFile log(root.file("drive_c/pdlog.txt"));
    EXPECT_TRUE(waitFor([&] { return log.exists(); }, 2000));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("SPID output=ati12\n"));
}

TEST_F(Lifecycle, EuropeanSwitchStatusAndHelpContexts)
{
    initialize();
    EXPECT_EQ(q.europeanStatus(), 255);
    ASSERT_TRUE(showApplication());
    EXPECT_EQ(q.europeanStatus(), 0);
    EXPECT_EQ(q.helpId(), 200);
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    EXPECT_EQ(activePage()->objectName(), "DataSheet");
    EXPECT_EQ(q.helpId(), 300);
    auto *pc = widget<TPageControl>("PageControl1");
    pc->setActivePage(widget<QWidget>("ISDNSheet"));
    EXPECT_EQ(q.helpId(), 310);   // National ISDN-1 selected
    widget<QComboBox>("Switch_Combo")->setCurrentIndex(0);
    EXPECT_EQ(q.helpId(), 311);
    pc->setActivePage(widget<QWidget>("ResetSheet"));
    EXPECT_EQ(q.helpId(), 340);
    pc->setActivePage(widget<QWidget>("DetectionSheet"));
    EXPECT_EQ(q.helpId(), 120);

    EXPECT_EQ(q.getOverride(), 0);
    q.setOverride(77);
    EXPECT_EQ(q.getOverride(), 77);
}

TEST_F(Lifecycle, EuropeanStatusWithNonNumericSwitchValue)
{
    ta.replies["ati12"] = "\r\nSwitch Settings\r\n*W =x *P1 =1 \r\n\r\nOK\r\n";
    initialize();
    ASSERT_TRUE(showApplication());
    EXPECT_EQ(q.europeanStatus(), 1);
    EXPECT_EQ(q.helpId(), 201);
}

TEST_F(Lifecycle, FirstEuropeanInstallShowsCountryPageAndReadsNoSettings)
{
    initialize("European");
    q.show(1, 1, "FIRST_EUROPEAN_INSTALL", "Germany");
    EXPECT_EQ(activePage()->objectName(), "CountrySheet");
    EXPECT_TRUE(form()->isVisible());
    EXPECT_FALSE(progressVisible());
    pumpEvents(100);
    // Only the country list to choose from; no read-back of the settings.
    EXPECT_EQ(ta.received.value(0), "at~c?\r");
    EXPECT_FALSE(ta.received.contains("ati15\r"));
}

TEST_F(Lifecycle, FirstEuropeanInstallWithoutCountrySupportKeepsPage)
{
    initialize("European");
    q.show(1, 0, "FIRST_EUROPEAN_INSTALL", "Germany");
    EXPECT_EQ(activePage()->objectName(), "BasicSheet");
    EXPECT_TRUE(form()->isVisible());
    pumpEvents(100);
    EXPECT_TRUE(ta.received.isEmpty());
}

TEST_F(Lifecycle, HideStopsEverythingAndShowRereads)
{
    initialize();
    ASSERT_TRUE(showApplication());
    ASSERT_TRUE(waitReceived(8));   // the clock commands
    pumpEvents(50);
    const int sent = int(ta.received.size());
    q.show(0, 1, "APPLICATION", "US/Canada");
    EXPECT_FALSE(form()->isVisible());
    pumpEvents(200);
    EXPECT_EQ(ta.received.size(), sent);
    q.show(1, 1, "APPLICATION", "US/Canada");
    EXPECT_TRUE(form()->isVisible());
    ASSERT_TRUE(waitReceived(sent + 1));
    EXPECT_EQ(ta.received[sent], "ati12\r");
}

TEST_F(Lifecycle, CancelNotifiesHostWithHelpOverride)
{
    initialize();
    ASSERT_TRUE(showApplication());
    auto *cancel = widget<QPushButton>("Btn_CancelCongrats");
    ASSERT_TRUE(cancel->isVisible());
    EXPECT_EQ(cancel->text(), "Cancel");
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !host->messages.isEmpty(); }, 2000));
    EXPECT_EQ(host->messages.value(0), kNotifyMessage);
    EXPECT_EQ(q.getOverride(), 120);
}

TEST_F(Lifecycle, LanguageRelayout)
{
    // 6 pixels per character of the translated caption: "Advanced Configuration..."
    // has 25, "Erweiterte Konfiguration..." 27; "Call Screening..." 17,
    // "Anruffilter..." 14. The reset page's two buttons share the width of the
    // longer caption: "Reset ISDN Line" 15, "ISDN-Leitung zurücksetzen" 25.
    initialize();
    auto *configure = widget<QPushButton>("ConfigureBtn");
    auto *profile = widget<QPushButton>("BtnProfile");
    auto *screen = widget<QPushButton>("CallScreenBtn");
    auto *reset = widget<QPushButton>("ResetBtn");
    const int groupWidth = widget<QWidget>("GroupBox2")->width();
    const int resetGroupWidth = widget<QWidget>("GroupBox1")->width();
    EXPECT_EQ(configure->width(), 6 * 25 + 20);
    EXPECT_EQ(profile->x(), 6 * 25 + 22);
    EXPECT_EQ(screen->width(), 6 * 17 + 15);
    EXPECT_EQ(screen->x(), groupWidth - 6 * 17 - 25);
    auto *resetLine = widget<QPushButton>("Btn_ResetISDNLine");
    EXPECT_EQ(reset->width(), 6 * 15 + 20);
    EXPECT_EQ(reset->x(), resetGroupWidth - 6 * 15 - 30);
    EXPECT_EQ(resetLine->width(), reset->width());
    q.language(0x407, 0x407);
    ASSERT_EQ(configure->text(), "Erweiterte Konfiguration...");
    EXPECT_EQ(configure->width(), 6 * 27 + 20);
    EXPECT_EQ(profile->x(), 6 * 27 + 22);
    EXPECT_EQ(screen->width(), 6 * 14 + 15);
    EXPECT_EQ(screen->x(), groupWidth - 6 * 14 - 25);
    EXPECT_EQ(reset->width(), 6 * 25 + 20);
    EXPECT_EQ(reset->x(), resetGroupWidth - 6 * 25 - 30);
    EXPECT_EQ(resetLine->geometry().x(), reset->x());
    EXPECT_EQ(resetLine->width(), reset->width());
}

TEST_F(Lifecycle, DestroyAndInitializeAgainCreatesNewForm)
{
    initialize();
    q.destroy();
    EXPECT_EQ(form(), nullptr);
    EXPECT_EQ(q.helpId(), 0);
    initialize();
    EXPECT_NE(form(), nullptr);
    EXPECT_NE(*q.progressForm, nullptr);
}

TEST_F(Lifecycle, GermanTexts)
{
    initialize();
    q.language(0x407, 0x407);
    EXPECT_EQ(widget<QPushButton>("SaveBtn")->text(), "Speichern");
    EXPECT_EQ(widget<QComboBox>("Combo_Reset")->itemText(5), "Werksvorlage auswählen");
    q.show(1, 1, "APPLICATION", "US/Canada");
    ASSERT_TRUE(waitChainEnd());
    QTest::mouseClick(widget<QPushButton>("ConfigureBtn"), Qt::LeftButton);
    auto *pc = widget<TPageControl>("PageControl1");
    EXPECT_EQ(pc->tabBar()->tabText(0), "Daten");
    EXPECT_EQ(widget<QPushButton>("ConfigureBtn")->text(), "Einfache Konfiguration...");
    // Back to English: the design texts come back.
    q.language(0x409, 0x409);
    EXPECT_EQ(pc->tabBar()->tabText(0), "Data");
}
