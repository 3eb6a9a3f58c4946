// The engine's events as the user meets them: the update prompt, the dial-up
// status and download progress windows, the failure and restart messages, the
// completion question and the tray alert; each against a recording engine for
// the exact calls, events arriving while a box is up, the program ending under
// them, and one whole update (and one cancelled) with the real engine over HTTP.

#include "downloadprogressdialog.h"
#include "testhelpers.h"
#include "dunstatusdialog.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "programfixture.h"
#include "recordingengine.h"
#include "sitefixture.h"
#include "updateevents.h"
#include "windowmessages.h"

#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

const QString kIsdn = QStringLiteral("Varnel Brenmoor ISDN TA");
const QString kIdsl = QStringLiteral("Varnel Lumora IDSL Modem");

// Message boxes as the scripted services answer them, with their icons.
class IconUi : public UiServices {
public:
    explicit IconUi(ScriptedUiServices *inner) : inner_(inner) {}
    QList<int> icons;
    int messageBox(QWidget *parent, const QString &text, const QString &caption, int buttons, int icon) override
    {
        icons << icon;
        return inner_->messageBox(parent, text, caption, buttons, icon);
    }
    QString openFileName(QWidget *p, const QString &t, const QString &d, const QString &f) override
    {
        return inner_->openFileName(p, t, d, f);
    }
    QString saveFileName(QWidget *p, const QString &t, const QString &d, const QString &f) override
    {
        return inner_->saveFileName(p, t, d, f);
    }
    bool showHelp(QWidget *p, const QString &f, int c) override { return inner_->showHelp(p, f, c); }
    int chooseLanguage(QWidget *p, const QList<LanguageChoice> &l, int c) override
    {
        return inner_->chooseLanguage(p, l, c);
    }
private:
    ScriptedUiServices *inner_;
};

// A sheet that notes what the events do to it.
class FakeSheet : public ConfigurationSheet {
public:
    QDialog dialogWidget;
    int animationStops = 0;
    QDialog *dialog() override { return &dialogWidget; }
    void RunModal() override {}
    void EndSheet() override {}
    void SelectRequestedProductAndTab(int, int) override {}
    void StopSchedulingAnimation() override { ++animationStops; }
};

QString loadCalls(int p)
{
    QStringList out;
    for (int id : {12, 24, 13, 7, 11, 6, 10, 42, 49, 50, 22})
        out << QStringLiteral("%1:%2").arg(id).arg(p);
    return out.join(' ');
}

class UpdateEvents : public Program {
protected:
    IconUi icons{&ui};
    RecordingEngine *engine = new RecordingEngine;
    bool released = false;
    FakeSheet *sheet = nullptr;

    void SetUp() override
    {
        CPatchwellApp::sheetFactory() = [this](CPatchwellApp *, CMainFrame *) {
            auto s = std::make_unique<FakeSheet>();
            sheet = s.get();
            return std::unique_ptr<ConfigurationSheet>(std::move(s));
        };
        ASSERT_TRUE(app->InitInstance({}));
        setUiServices(&icons);
        engine->released = &released;
        engine->products = QStringList{kIsdn, kIdsl};
        engine->values[{pw::DispGetConfirmAllUpdates, -1}] = true;
        engine->values[{pw::DispGetPreferredConnection, 0}] = "Office";
        engine->values[{pw::DispGetReadmeFile, -1}] = "";
        app->control()->Attach(engine);
    }
    void TearDown() override { CPatchwellApp::sheetFactory() = nullptr; }
    void fire(long kind, long number, const QString &text = {}) { engine->sink(kind, number, text); }
    // A fresh program (and engine) for the next case of a test.
    void restart()
    {
        setUiServices(&ui);
        app->ExitInstance();
        app.reset();
        settle();
        ui.shown.clear();
        ui.onMessage = nullptr;
        app = std::make_unique<CPatchwellApp>();
        engine = new RecordingEngine;
        released = false;
        SetUp();
    }
    QString calls() const { return engine->writes().join(' '); }
    CUpdateEventHandler *handler() const { return app->updateEvents(); }
    CDownloadProgressDialog *progress() const { return handler()->progressDialog(); }
    CDunStatusDialog *status() const { return handler()->statusDialog(); }
    // The sheet, made and (as far as the events can tell) open and shown.
    FakeSheet *openSheet()
    {
        app->mainFrame()->sheet();
        app->mainFrame()->sheetOpen = true;
        sheet->dialogWidget.show();
        return sheet;
    }
    // Windows other than the sheet that are on screen.
    QStringList windowsShown() const
    {
        QStringList out;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && (!sheet || w != &sheet->dialogWidget))
                out << w->objectName();
        return out;
    }
    // Deleted windows are gone once the event loop has had its turn.
    void settle() { QTest::qWait(20); }
    // A progress dialog on screen for a download of two files, the first of 12000 bytes.
    void startDownload()
    {
        fire(0, 1, "2.0");
        fire(6, 2);
        fire(7, 12000, "fw.bin");
        ASSERT_NE(progress(), nullptr);
        engine->calls.clear();
        ui.shown.clear();
        icons.icons.clear();
    }
};

} // namespace

TEST_F(UpdateEvents, TheUpdatePromptLoadsTheProductAsksAndPassesTheAnswerOn)
{
    openSheet();
    bool showingDuringBox = false;
    ui.onMessage = [&](const QString &) { showingDuringBox = app->promptShowing; };
    fire(0, 1, "2.0");
    EXPECT_EQ(calls(), loadCalls(1) + " 35:1 26:1 25:1,T");
    ASSERT_EQ(ui.messages(), QStringList{"An update is available.\nProduct: " + kIdsl
                                         + " Version 2.0\n\nDo you want to download and install it now?"});
    EXPECT_EQ(ui.shown[0].number, MB_YESNO);
    EXPECT_EQ(icons.icons, QList<int>{MB_ICONINFORMATION});
    EXPECT_TRUE(showingDuringBox);
    EXPECT_FALSE(app->promptShowing);
    EXPECT_EQ(handler()->displayName(), kIdsl + " Version 2.0");
    EXPECT_EQ(handler()->eventProduct().productIndex, 1);
    EXPECT_EQ(sheet->animationStops, 1);
    EXPECT_FALSE(sheet->dialogWidget.isVisible());   // Yes hides the sheet

    // No: the sheet comes back, the status window goes.
    fire(2, 0);
    ASSERT_NE(status(), nullptr);
    engine->calls.clear();
    ui.messageAnswers = {IDNO};
    fire(0, 0, "3.1");
    EXPECT_TRUE(calls().endsWith("35:0 26:0 25:0,F"));
    EXPECT_TRUE(sheet->dialogWidget.isVisible());
    EXPECT_EQ(status(), nullptr);
    settle();
    EXPECT_EQ(windowsShown(), QStringList{});
}

TEST_F(UpdateEvents, ABrowserUpdateSaysSoAndYesOpensTheReleaseNotes)
{
    const QString viewed = root.file("viewed.txt");
    ASSERT_TRUE(useRecordingViewer(root.file("viewer.sh"), viewed));
    engine->values[{pw::DispGetReadmeFile, 0}] = root.file("notes/readme 2.0.txt");
    engine->values[{pw::DispGetInstallThroughBrowser, 0}] = true;
    fire(0, 0, "2.0");
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0], "An update is available.\nIt is installed from a web page: " + kIsdn
                                    + " Version 2.0\n\nPatchwell will open the page in your web browser.\n"
                                      "Follow the instructions on the page.\nDo you want to open it now?");
    // The viewer runs on its own: its line is there once it ends in a line end.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        QFile f(viewed);
        return f.open(QIODevice::ReadOnly) && f.readAll().endsWith('\n');
    }, 5000));
    QFile seen(viewed);
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(seen.readAll()), root.file("notes/readme 2.0.txt") + "\n");
    qunsetenv("TALLYLINE_OPENER");
}

TEST_F(UpdateEvents, WithConfirmOffTheAnswerIsYesAtOnceAndNothingIsShown)
{
    engine->values[{pw::DispGetConfirmAllUpdates, -1}] = false;
    fire(0, 1, "2.0");
    EXPECT_EQ(calls(), loadCalls(1) + " 25:1,T");
    fire(2, 1);
    fire(6, 1);
    fire(7, 12000, "fw.bin");
    fire(9, 1);
    fire(23, 1, "fw.bin");
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(windowsShown(), QStringList{});
    EXPECT_EQ(progress(), nullptr);
}

TEST_F(UpdateEvents, TheProgressWindowCountsBlocksOfEachFile)
{
    fire(9, 1);   // before any window: nothing
    EXPECT_EQ(progress(), nullptr);
    fire(0, 1, "2.0");
    fire(6, 2);
    ASSERT_NE(progress(), nullptr);
    CDownloadProgressDialog *d = progress();
    EXPECT_EQ(d->objectName(), "CDownloadProgressDialog");
    EXPECT_EQ(d->windowTitle(), "Downloading update for " + kIdsl + " Version 2.0");
    EXPECT_EQ(d->status(), "About to download 2 file(s)...");
    EXPECT_EQ(d->findChild<QLabel *>("percent1004")->text(), "0%");
    EXPECT_FALSE(app->mainFrame()->isEnabled());
    EXPECT_TRUE(d->isVisible());
    const QRect free = d->screen()->availableGeometry();
    EXPECT_EQ(d->frameGeometry().right(), free.right());
    EXPECT_EQ(d->frameGeometry().bottom(), free.bottom());
    ASSERT_NE(d->animation(), nullptr);
    EXPECT_TRUE(d->animation()->isValid());
    EXPECT_EQ(d->animation()->state(), QMovie::Running);

    fire(7, 12000, "fw.bin");
    EXPECT_EQ(d->lower(), 0);
    EXPECT_EQ(d->upper(), 3);
    EXPECT_EQ(d->step(), 1);
    EXPECT_EQ(d->status(), "Downloading file 1 of 2: fw.bin");
    fire(9, 1);
    EXPECT_EQ(d->findChild<QProgressBar *>("progress1003")->value(), 1);
    EXPECT_EQ(d->percentText(), "33%");
    fire(9, 2);
    fire(9, 3);
    EXPECT_EQ(d->percentText(), "100%");
    fire(7, 100, "notes.txt");
    EXPECT_EQ(d->upper(), 1);
    EXPECT_EQ(d->percentText(), "0%");
    EXPECT_EQ(d->status(), "Downloading file 2 of 2: notes.txt");
    fire(8, 2);
    EXPECT_EQ(progress(), nullptr);
    EXPECT_TRUE(app->mainFrame()->isEnabled());
    settle();
    EXPECT_EQ(windowsShown(), QStringList{});

    EXPECT_EQ(CUpdateEventHandler::BlocksFor(0), 1);
    EXPECT_EQ(CUpdateEventHandler::BlocksFor(5000), 1);
    EXPECT_EQ(CUpdateEventHandler::BlocksFor(5001), 2);
    EXPECT_EQ(CUpdateEventHandler::BlocksFor(2000000000L), 0xFFFF);
}

TEST(DownloadProgressDialog, ThePercentageFollowsTheBarAndStartsOverPastItsEnd)
{
    QWidget owner;
    {
        CDownloadProgressDialog d(&owner, "\\nowhere\\filecopy.avi");
        EXPECT_FALSE(owner.isEnabled());
        EXPECT_EQ(d.percentText(), " 0 %");
        d.SetRange(0, 3);
        d.SetStep(1);
        d.StepIt();
        EXPECT_EQ(d.percentText(), "33%");
        d.StepIt();
        d.StepIt();
        EXPECT_EQ(d.percentText(), "100%");
        d.StepIt();   // past the end: from the start again
        EXPECT_EQ(d.pos(), 1);
        EXPECT_EQ(d.percentText(), "33%");
        d.SetRange(0, 200);
        d.SetPos(250);
        EXPECT_EQ(d.percentText(), "25%");
        d.SetRange(5, 5);   // no width: no share, and no division by zero
        EXPECT_EQ(d.percentText(), "0%");
    }
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(UpdateEvents, EventsThatComeWhileTheWindowDispatchesWaitTheirTurn)
{
    startDownload();
    // The next file is announced before this block is shown: the block still
    // counts for the file it belongs to, and the new file starts at 0.
    QMetaObject::invokeMethod(app.get(), [this] { fire(7, 100, "b.bin"); }, Qt::QueuedConnection);
    fire(9, 1);
    ASSERT_NE(progress(), nullptr);
    EXPECT_EQ(progress()->upper(), 1);
    EXPECT_EQ(progress()->pos(), 0);
    EXPECT_EQ(progress()->status(), "Downloading file 2 of 2: b.bin");
    // The end of the downloads while a block is being shown.
    QMetaObject::invokeMethod(app.get(), [this] { fire(8, 2); }, Qt::QueuedConnection);
    fire(9, 1);
    EXPECT_EQ(progress(), nullptr);
    settle();
    EXPECT_TRUE(app->mainFrame()->isEnabled());
}

TEST_F(UpdateEvents, CancelInTheProgressWindowIsAskedAtTheNextBlock)
{
    startDownload();
    QTest::mouseClick(progress()->cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(ui.messages().isEmpty());   // only a flag so far
    ui.messageAnswers = {IDNO};
    fire(9, 1);
    EXPECT_EQ(ui.messages(), QStringList{"Do you want to cancel the update?"});
    EXPECT_EQ(ui.shown[0].number, MB_YESNO);
    EXPECT_EQ(calls(), "");
    fire(9, 2);   // asked once per press
    EXPECT_EQ(ui.messages().size(), 1);
    QTest::keyClick(progress(), Qt::Key_Escape);   // Escape is Cancel too
    fire(9, 3);
    EXPECT_EQ(ui.messages().size(), 2);
    EXPECT_EQ(calls(), "2:");
    ASSERT_NE(progress(), nullptr);   // the engine's own event ends it
    fire(24, 1);
    EXPECT_EQ(progress(), nullptr);
    EXPECT_EQ(ui.messages().last(), "The update of " + kIdsl + " Version 2.0 was cancelled. Nothing was installed.");
    EXPECT_EQ(icons.icons.last(), MB_ICONERROR);
}

TEST_F(UpdateEvents, TheDialUpStatusWindowShowsEachStepAndItsCancelAsks)
{
    openSheet();
    fire(2, 0);
    EXPECT_EQ(calls(), loadCalls(0));
    ASSERT_NE(status(), nullptr);
    CDunStatusDialog *d = status();
    EXPECT_EQ(d->objectName(), "CDunStatusDialog");
    EXPECT_EQ(d->windowTitle(), "Connecting to Office...");
    EXPECT_EQ(d->findChild<QLabel *>("status1037")->text(), "Dialing...");
    EXPECT_EQ(d->cancelButton()->text(), "Cancel");
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->frameGeometry().bottomRight(), d->screen()->availableGeometry().bottomRight());
    EXPECT_FALSE(sheet->dialogWidget.isVisible());
    fire(3, 0);
    EXPECT_EQ(d->status(), "Checking user name and password...");
    fire(4, 0);
    EXPECT_EQ(d->status(), "Connected.");
    EXPECT_EQ(sheet->animationStops, 0);   // kinds 2 to 4 leave the animation alone

    engine->calls.clear();
    bool disabledWhileAsking = false;
    ui.onMessage = [&](const QString &) { disabledWhileAsking = !d->cancelButton()->isEnabled(); };
    ui.messageAnswers = {IDNO, IDYES};
    QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(calls(), "");
    EXPECT_TRUE(disabledWhileAsking);
    EXPECT_TRUE(d->cancelButton()->isEnabled());
    QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(calls(), "2:");
    EXPECT_EQ(ui.messages(), QStringList(2, "Do you want to cancel the update?"));

    // Without confirmation there is no window.
    fire(21, 0, "Office");
    ui.shown.clear();
    engine->values[{pw::DispGetConfirmAllUpdates, -1}] = false;
    fire(2, 0);
    EXPECT_EQ(status(), nullptr);
}

TEST_F(UpdateEvents, ADoubleClickOnTheTrayBringsTheRunningUpdatesWindowForwardNotTheSheet)
{
    fire(0, 0, "2.0");   // answered Yes
    fire(6, 1);
    ASSERT_NE(app->updateEvents()->progressDialog(), nullptr);
    SendMessage(app->mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    EXPECT_EQ(sheet, nullptr);   // no sheet was made, let alone opened
    fire(8, 0);
    fire(2, 0);
    ASSERT_NE(app->updateEvents()->statusDialog(), nullptr);
    SendMessage(app->mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    EXPECT_EQ(sheet, nullptr);
    fire(11, 0);
    SendMessage(app->mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    EXPECT_NE(sheet, nullptr);
}

TEST_F(UpdateEvents, AnUpdateDoneClosesEveryWindowAndLightsTheTray)
{
    fire(2, 1);
    fire(0, 1, "2.0");
    fire(6, 1);
    ASSERT_NE(status(), nullptr);
    ASSERT_NE(progress(), nullptr);
    engine->calls.clear();
    ui.shown.clear();
    fire(11, 1, "2.0");
    EXPECT_EQ(status(), nullptr);
    EXPECT_EQ(progress(), nullptr);
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_TRUE(app->mainFrame()->tray()->AlertActive());
    EXPECT_EQ(calls(), "47:T 47:T");   // the event's own, then the tray's
    EXPECT_EQ(app->mainFrame()->tray()->TooltipText(), "Patchwell...Update Alert! View recent updates.");
    settle();
    EXPECT_EQ(windowsShown(), QStringList{});
    EXPECT_TRUE(app->mainFrame()->isEnabled());
}

TEST_F(UpdateEvents, FailuresShowTheirTextsWithConfirmationOnly)
{
    fire(0, 0, "2.0");
    const QList<QPair<int, QString>> cases = {
        {13, "No update information was found on the update server."},
        {14, "Dial-up networking is not available on this computer. Choose TCP/IP on the Connection tab."},
        {15, "Patchwell could not connect to the server holding the update files."},
        {16, "Patchwell could not download the version information."},
        {17, "The version information on the update server could not be read."},
        {18, "The product's update settings are incomplete: no update site is known."},
        {19, ""},
        {20, "Patchwell could not connect to http://127.0.0.1:1/site/"},
        {21, "The dial-up connection could not be made: http://127.0.0.1:1/site/"},
        {23, "Patchwell could not download the update files. Nothing was installed."},
        // Kind 20 reloaded the product without a version text.
        {24, "The update of " + kIsdn + " Version  was cancelled. Nothing was installed."},
        {25, ""},
    };
    for (const auto &c : cases) {
        ui.shown.clear();
        icons.icons.clear();
        engine->calls.clear();
        fire(c.first, 0, "http://127.0.0.1:1/site/");
        SCOPED_TRACE(c.first);
        EXPECT_EQ(ui.messages(), c.second.isEmpty() ? QStringList{} : QStringList{c.second});
        if (!c.second.isEmpty()) {
            EXPECT_EQ(icons.icons, QList<int>{MB_ICONERROR});
        }
        const bool reloads = c.first == 13 || c.first == 14 || c.first == 16 || c.first == 18 || c.first == 20;
        EXPECT_EQ(calls(), reloads ? loadCalls(0) : QString());
    }
    engine->values[{pw::DispGetConfirmAllUpdates, -1}] = false;
    ui.shown.clear();
    fire(20, 0, "http://x/");
    fire(24, 0);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(UpdateEvents, UpToDateRestartAndCompletionAreAskedWhateverTheConfirmation)
{
    engine->values[{pw::DispGetConfirmAllUpdates, -1}] = false;
    reg::writeString(RegRoot::LocalMachine, QString(kProducts) + "\\" + kIdsl, "InstalledVersion", "1.4");
    openSheet();
    fire(1, 1);
    EXPECT_EQ(calls(), "12:1");
    EXPECT_EQ(ui.messages(), QStringList{"Product " + kIdsl + ", installed version 1.4 is up to date.\n"});
    EXPECT_EQ(ui.shown[0].number, MB_OK);
    EXPECT_EQ(sheet->animationStops, 1);

    fire(0, 1, "2.0");
    ui.shown.clear();
    fire(10, 1, "2.0");
    EXPECT_EQ(ui.messages(), QStringList{"The update is installed.\nRestart your computer to complete the update of "
                                         + kIdsl + " Version 2.0"});
    engine->calls.clear();
    ui.messageAnswers = {IDNO};
    fire(12, 1, "2.0");
    EXPECT_EQ(ui.messages().last(),
              "Have you completed the update (for example, loaded the new firmware into the device)?");
    EXPECT_EQ(calls(), "31:1,F");
    fire(12, 1, "2.0");
    EXPECT_EQ(calls(), "31:1,F 31:1,T");
    fire(26, 1);   // unknown kinds are ignored
    fire(5, 1);
    fire(22, 1);
    EXPECT_EQ(calls(), "31:1,F 31:1,T");
    EXPECT_EQ(sheet->animationStops, 2);
}

TEST_F(UpdateEvents, AnUpdateDoneWhileThePromptIsUpIsHandledAndThePromptStillAnswered)
{
    fire(2, 1);
    ui.onMessage = [this](const QString &text) {
        if (text.startsWith("An update is available"))
            fire(11, 1, "2.0");
    };
    fire(0, 1, "2.0");
    EXPECT_EQ(status(), nullptr);
    EXPECT_TRUE(app->mainFrame()->tray()->AlertActive());
    EXPECT_TRUE(calls().endsWith("35:1 26:1 47:T 47:T 25:1,T")) << calls().toStdString();
    EXPECT_FALSE(app->promptShowing);
}

TEST_F(UpdateEvents, ThePromptOfAnotherProductInsideTheFirstKeepsEachAnswerWithItsProduct)
{
    ui.messageAnswers = {IDNO, IDYES};   // the inner box is answered first
    bool inner = false;
    bool showingAfterInner = false;
    ui.onMessage = [&](const QString &) {
        if (inner)
            return;
        inner = true;
        fire(0, 0, "3.0");   // answered No while the first is still up
        showingAfterInner = app->promptShowing;
    };
    fire(0, 1, "2.0");
    EXPECT_TRUE(calls().endsWith("35:0 26:0 25:0,F 25:1,T")) << calls().toStdString();
    EXPECT_TRUE(showingAfterInner);   // the first prompt is still on screen
    EXPECT_FALSE(app->promptShowing);
}

TEST_F(UpdateEvents, ExitWhileThePromptIsUpLeavesTheEngineAloneAfterTheBox)
{
    ui.onMessage = [this](const QString &) {
        app->mainFrame()->OnExit();
        app->ExitInstance();
    };
    fire(0, 1, "2.0");
    EXPECT_EQ(app->control(), nullptr);
    // The engine outlived the box (its event was still on the stack) and heard nothing more.
    ASSERT_FALSE(released);
    EXPECT_FALSE(calls().contains("25:"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return released; }, 2000));
}

TEST_F(UpdateEvents, ExitWhileTheProgressWindowIsUpClosesItAndFreesTheMainWindow)
{
    startDownload();
    QPointer<CDownloadProgressDialog> d = progress();
    app->mainFrame()->OnExit();
    app->ExitInstance();
    EXPECT_EQ(progress(), nullptr);
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(app->mainFrame()->isEnabled());
    settle();
    EXPECT_TRUE(d.isNull());
    EXPECT_TRUE(released);
}

TEST_F(UpdateEvents, ExitWhileTheCancelQuestionIsUpEndsCleanly)
{
    startDownload();
    QTest::mouseClick(progress()->cancelButton(), Qt::LeftButton);
    ui.onMessage = [this](const QString &) {
        fire(9, 2);      // the download goes on meanwhile
        app->ExitInstance();
    };
    fire(9, 1);
    EXPECT_FALSE(released);   // still on the stack until the handler is done
    EXPECT_FALSE(calls().contains("2:"));
    settle();
    EXPECT_TRUE(released);
    EXPECT_TRUE(app->mainFrame()->isEnabled());
    EXPECT_EQ(windowsShown(), QStringList{});
}

TEST_F(UpdateEvents, ExitInsideEachOfTheHandlersWaitsLeavesTheEngineAlone)
{
    struct Case {
        const char *name;
        std::function<void()> wait;   // brings the handler into its wait
    };
    const QList<Case> cases = {
        {"up-to-date message", [this] { fire(1, 0); }},
        {"restart message", [this] { fire(10, 0, "2.0"); }},
        {"completion question", [this] { fire(12, 0, "2.0"); }},
        {"failure message", [this] { fire(20, 0, "http://x/"); }},
        {"dial-up cancel question",
         [this] {
             fire(2, 0);
             QTest::mouseClick(status()->cancelButton(), Qt::LeftButton);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        ui.onMessage = [this](const QString &) {
            engine->calls.clear();
            app->mainFrame()->OnExit();
            app->ExitInstance();
        };
        c.wait();
        ASSERT_EQ(ui.messages().size(), 1);
        EXPECT_FALSE(released);
        EXPECT_EQ(calls(), "");
        settle();
        EXPECT_TRUE(released);
        EXPECT_EQ(windowsShown(), QStringList{});
    }

    // Exit while a block's waiting messages are dispatched.
    restart();
    startDownload();
    QMetaObject::invokeMethod(app.get(), [this] { app->ExitInstance(); }, Qt::QueuedConnection);
    fire(9, 1);
    EXPECT_EQ(progress(), nullptr);
    EXPECT_TRUE(app->mainFrame()->isEnabled());
    settle();
    EXPECT_TRUE(released);
    EXPECT_EQ(windowsShown(), QStringList{});
}
