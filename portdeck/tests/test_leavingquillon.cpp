// Leaving the ISDN TA's configuration while it is busy, against tallysim:
// a save under way is stored before the form goes (or the user is told it
// was not), and once the form is hidden nothing of it reaches the device or
// opens a box. What the device received is read from its transcript.

#include "clock.h"
#include "tooltestfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QThread>
#include <QTimer>


namespace {

const char *const kNotSaved = "The changed settings were not saved: the ISDN TA did not confirm them.";

// The command lines of a transcript, in order.
QStringList commands(const QString &transcript)
{
    QStringList out;
    for (const QString &line : transcript.split('\n'))
        if (line.startsWith("> "))
            out << line.mid(2);
    return out;
}

// Index of the first line at or after from that starts with prefix, -1 if none.
int find(const QStringList &lines, const QString &prefix, int from = 0)
{
    for (int i = from; i < lines.size(); ++i)
        if (lines[i].startsWith(prefix))
            return i;
    return -1;
}

} // namespace

class LeavingQuillon : public ToolForm {
protected:
    void SetUp() override
    {
        ToolForm::SetUp();
        // The device is slowed down below; the form's reply time must still
        // cover one command at that speed, and the window's own waits must not.
        scale = tl::timeScale();
        tl::setTimeScale(0.25);
    }
    void TearDown() override
    {
        ToolForm::TearDown();
        tl::setTimeScale(scale);
    }
    bool startTa(const QStringList &args = {}, const QStringList &portdeckArgs = {"/l"})
    {
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\ISDN TA", "Serial Number1",
                         "QB0001");
        if (!sim("isdnta", 1, QStringList{"--serial", "QB0001"} + args))
            return false;
        start(portdeckArgs);
        return true;
    }
    void setFaults(const QByteArray &faults) { ToolForm::setFaults(1, faults); }
    // The configuration shown and read back, from the product screen.
    QWidget *showConfiguration()
    {
        if (!waitFor([&] { return frame->appwizBtn->isEnabled(); }))
            return nullptr;
        const int from = commands(transcript(1)).size();
        click(frame->appwizBtn);
        QWidget *form = shownForm();
        auto *save = inForm<QPushButton>(form, "SaveBtn");
        const auto readBack = [&] {
            return find(commands(transcript(1)), "ati4\\r", from) >= 0 && !progressShown() && save->isEnabled();
        };
        if (!save || !waitFor(readBack))
            return nullptr;
        QTest::qWait(200);   // the clock is set after the first read-back
        return form;
    }
    static bool progressShown()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QLatin1String("Progress") && w->isVisible())
                return true;
        return false;
    }
    void openTab(QWidget *form, const char *caption)
    {
        auto *tabs = form->findChild<QTabBar *>();
        for (int i = 0; tabs && i < tabs->count(); ++i)
            if (tabs->tabText(i) == QLatin1String(caption))
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
    }
    // A basic and a voice setting changed as the user does it, the question
    // on leaving the basic page answered No.
    void changeBasicAndVoice(QWidget *form)
    {
        auto *port1 = inForm<QComboBox>(form, "CBox_BasicPort1");
        ASSERT_NE(port1, nullptr);
        port1->setFocus();
        QTest::keyClick(port1, port1->currentIndex() < port1->count() - 1 ? Qt::Key_Down : Qt::Key_Up);
        ui.messageAnswers << IDNO;
        inForm<QPushButton>(form, "ConfigureBtn")->click();
        openTab(form, "Voice ");
        auto *callerId = inForm<QCheckBox>(form, "CkBox_ADP1_CallerID");
        ASSERT_TRUE(callerId && callerId->isVisible());
        QTest::mouseClick(callerId, Qt::LeftButton, {}, QPoint(6, callerId->height() / 2));
    }
    // Those changes saved over a 300 baud line: returns the transcript line
    // the save starts at, with the save still under way.
    int startSlowSave(QWidget *form)
    {
        changeBasicAndVoice(form);
        setFaults("baud=300");
        const int from = commands(transcript(1)).size();
        click(inForm<QPushButton>(form, "SaveBtn"));
        return from;
    }
    // The lines of the save that starts at the transcript's line from.
    QStringList saveLines(const QStringList &lines, int from)
    {
        QStringList out;
        for (int i = from; i < lines.size() && lines[i] != "at&w\\r"; ++i)
            if (lines[i].startsWith("AT#"))
                out << lines[i];
        return out;
    }

    double scale = 1;
};

// Save on a slow line, then Back (and, on a second visit, Exit) at once: the
// form goes only after the TA has stored the settings, and Portdeck asks for
// the identity only after that.
TEST_F(LeavingQuillon, BackOrExitDuringASaveWaitsUntilTheSettingsAreStored)
{
    if (!startTa({"--switch", "2"}))
        GTEST_SKIP() << "tallysim is not built";
    openProduct("ISDNTA");
    QWidget *form = showConfiguration();
    ASSERT_NE(form, nullptr);
    int from = startSlowSave(form);
    click(frame->backbtn);
    EXPECT_EQ(frame->control, "None");
    EXPECT_FALSE(form->isVisible());
    QStringList lines = commands(transcript(1));
    const int r1 = find(lines, "AT#R1=", from), i1 = find(lines, "AT#I1=", from), store = find(lines, "at&w\\r", from);
    const int identity = find(lines, "ati7\\r", from);
    EXPECT_GE(r1, 0);
    EXPECT_GT(i1, r1);
    EXPECT_GT(store, i1) << qPrintable(lines.mid(from).join(' '));
    EXPECT_GT(identity, store);
    EXPECT_FALSE(ui.messages().contains(kNotSaved));
    setFaults("");
    ASSERT_TRUE(waitFor([&] { return frame->appwizBtn->isEnabled(); }));

    // Exit in the middle of the next save: stored first, then the program ends.
    form = showConfiguration();
    ASSERT_NE(form, nullptr);
    from = startSlowSave(form);
    click(frame->TerminateBtn);
    EXPECT_TRUE(waitFor([&] { return terminated; }));
    lines = commands(transcript(1));
    EXPECT_GE(find(lines, "AT#", from), 0);
    EXPECT_GT(find(lines, "at&w\\r", from), find(lines, "AT#I1=", from)) << qPrintable(lines.mid(from).join(' '));
    EXPECT_FALSE(ui.messages().contains(kNotSaved));
}

// The TA falls silent in the middle of the save: Back still leaves, and the
// user is told that the settings were not saved.
TEST_F(LeavingQuillon, ASaveTheTaNeverConfirmsIsReportedWhenLeaving)
{
    if (!startTa({"--switch", "2"}))
        GTEST_SKIP() << "tallysim is not built";
    openProduct("ISDNTA");
    QWidget *form = showConfiguration();
    ASSERT_NE(form, nullptr);
    const int from = startSlowSave(form);
    setFaults("silent");
    click(frame->backbtn);
    EXPECT_EQ(frame->control, "None");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(ui.messages().contains(kNotSaved));
    EXPECT_EQ(find(commands(transcript(1)), "at&w", from), -1);
    EXPECT_TRUE(waitFor([&] { return frame->backbtn->isEnabled(); }));
}

// Back while Change Country waits for the TA's answer: the form is gone, so
// neither the restart nor the save and read-back that would follow reach the
// device, and no box of the form opens over the product screen.
TEST_F(LeavingQuillon, BackDuringChangeCountrySendsNothingMoreOfTheForm)
{
    if (!startTa({}, {"/l", "/y"}))
        GTEST_SKIP() << "tallysim is not built";
    openProduct("ISDNTA");
    QWidget *form = showConfiguration();
    ASSERT_NE(form, nullptr);
    inForm<QPushButton>(form, "ConfigureBtn")->click();
    openTab(form, "Location");
    auto *countries = inForm<QComboBox>(form, "Combo_Country");
    auto *change = inForm<QPushButton>(form, "CountryBtn");
    ASSERT_TRUE(waitFor([&] { return countries->count() > 2 && change->isVisible() && change->isEnabled(); }));
    countries->setCurrentIndex(2);
    setFaults("baud=1200");   // the answer takes a moment
    bool pressed = false;
    QTimer inside;
    QObject::connect(&inside, &QTimer::timeout, [&] {
        if (!pressed && QThread::currentThread()->loopLevel() > 0 && !change->isEnabled()) {
            pressed = true;
            click(frame->backbtn);
        }
    });
    inside.start(5);
    const int from = commands(transcript(1)).size();
    click(change);
    ASSERT_TRUE(pressed);
    setFaults("");
    QTest::qWait(tl::ticksToMs(200));
    const QStringList after = commands(transcript(1)).mid(from);
    EXPECT_EQ(find(after, "atc10=2&W"), 0) << qPrintable(after.join(' '));
    for (const QString &line : after)
        EXPECT_TRUE(line == "atc10=2&W\\r" || line == "ati7\\r") << qPrintable(line);
    EXPECT_FALSE(ui.messages().contains("Modem Configured Successfully!"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(frame->control, "None");
}

// Back while the line wizard's Stop waits for its answer (the TA refuses it):
// Stop is not sent again and no "SPID Wizard Aborted!" opens inside Back.
TEST_F(LeavingQuillon, BackWhileTheWizardsStopIsUnansweredEndsTheWizardQuietly)
{
    if (!startTa({"--switch", "2", "--fault", "error=at*z"}))
        GTEST_SKIP() << "tallysim is not built";
    openProduct("ISDNTA");
    ASSERT_TRUE(waitFor([&] { return frame->SpidBtn->isEnabled(); }));
    click(frame->SpidBtn);
    QWidget *form = shownForm();
    ASSERT_NE(form, nullptr);
    auto *next = inForm<QPushButton>(form, "SaveBtn");
    ASSERT_TRUE(waitFor([&] { return next->isVisible() && next->isEnabled(); }));
    for (auto [name, text] : {std::pair{"Edit_SpidAreaCode", "212"}, {"Edit_SpidDN1", "5551234"}}) {
        auto *edit = inForm<QLineEdit>(form, name);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    click(next);
    auto *stop = inForm<QPushButton>(form, "Btn_CancelCongrats");
    ASSERT_TRUE(waitFor([&] { return stop->isVisible() && stop->text() == "Stop"; }));
    const int from = commands(transcript(1)).size();
    const int boxes = int(ui.messages().size());
    click(stop);
    click(frame->backbtn);
    QTest::qWait(tl::ticksToMs(200));
    const QStringList after = commands(transcript(1)).mid(from);
    EXPECT_EQ(after.count("AT*z\\r"), 1) << qPrintable(after.join(' '));
    EXPECT_EQ(ui.messages().mid(boxes), QStringList());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(frame->control, "None");
    EXPECT_TRUE(frame->backbtn->isEnabled());
}
