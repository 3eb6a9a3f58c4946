#include "updateevents.h"

#include "app.h"
#include "downloadprogressdialog.h"
#include "dunstatusdialog.h"
#include "eventlogview.h"
#include "langtext.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "processlauncher.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <utility>

namespace {

// Right and bottom edges on those of the desktop's free area, size kept.
void placeInDesktopCorner(QWidget *dialog)
{
    dialog->adjustSize();
    QScreen *screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QRect frame = dialog->frameGeometry();
    dialog->move(free.right() - frame.width() + 1, free.bottom() - frame.height() + 1);
}

bool stopsTheAnimation(long kind)
{
    return kind == 0 || kind == 1 || kind == 11 || (kind >= 13 && kind <= 21) || (kind >= 23 && kind <= 25);
}

} // namespace

// Counts the handler's code on the stack; what was retired meanwhile goes when
// the count is back at zero.
class CUpdateEventHandler::Busy {
public:
    explicit Busy(CUpdateEventHandler *h) : h_(h) { ++h_->active_; }
    ~Busy()
    {
        if (h_ && --h_->active_ == 0)
            h_->whenIdle();
    }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;
private:
    QPointer<CUpdateEventHandler> h_;
};

CUpdateEventHandler::CUpdateEventHandler(CPatchwellApp *app) : app_(app), runEnd_(new QTimer(this))
{
    runEnd_->setInterval(100);
    connect(runEnd_, &QTimer::timeout, this, &CUpdateEventHandler::checkRunEnd);
}

CUpdateEventHandler::~CUpdateEventHandler()
{
    delete status_.data();
    delete progress_.data();
    for (const QPointer<QObject> &o : std::as_const(retired_))
        delete o.data();
}

CDunStatusDialog *CUpdateEventHandler::statusDialog() const
{
    return status_;
}

CDownloadProgressDialog *CUpdateEventHandler::progressDialog() const
{
    return progress_;
}

int CUpdateEventHandler::BlocksFor(long bytes)
{
    const long blocks = bytes > 0 ? (bytes + kBlockBytes - 1) / kBlockBytes : 1;
    return int(qBound(1L, blocks, 0xFFFFL));
}

CPatchwellCtrl *CUpdateEventHandler::control() const
{
    // None once the program is ending: nothing more is asked of the engine.
    return app_ && !app_->isClosing() ? app_->control() : nullptr;
}

void CUpdateEventHandler::OnEvent(long kind, long number, const QString &text)
{
    if (kind < 0 || kind > 25)
        return;
    queue_.append({kind, number, text});
    // While a dialog's waiting messages are dispatched, a new event waits its
    // turn: handled at once it would overtake the one being shown.
    if (pumping_)
        return;
    QPointer<CUpdateEventHandler> self(this);
    Busy busy(this);
    while (self && !queue_.isEmpty())
        handle(queue_.takeFirst());
}

void CUpdateEventHandler::handle(const Event &e)
{
    if (!control())
        return;
    if (stopsTheAnimation(e.kind) && app_->mainFrame()) {
        if (ConfigurationSheet *sheet = app_->mainFrame()->existingSheet())
            sheet->StopSchedulingAnimation();
    }
    switch (e.kind) {
    case 0:
        updatePrompt(e.number, e.text);
        break;
    case 1:
        upToDate(e.number);
        break;
    case 2:
    case 3:
    case 4:
        status(e.kind, e.number);
        break;
    case 6:
    case 7:
    case 8:
    case 9:
        progress(e.kind, e.number, e.text);
        break;
    case 10:
        restart();
        break;
    case 12:
        completionPrompt();
        break;
    case 5:
    case 22:
        break;
    default:
        finish(e.kind, e.number, e.text);
        break;
    }
}

void CUpdateEventHandler::loadEventProduct(long product, const QString &text)
{
    CPatchwellCtrl *ctrl = control();
    if (!ctrl)
        return;
    CProductSettings r;
    r.SetProductName(ctrl->GetProductName(product));
    r.SetRunFromStartUp(ctrl->GetRunFromStartUp(product), 0);
    r.SetUpdateInterval(ctrl->GetUpdateInterval(product), 0);
    r.SetNextUpdate(ctrl->GetNextUpdate(product), 0);
    r.SetPreviousUpdate(ctrl->GetPreviousUpdate(product));
    r.SetConnectionType(ctrl->GetConnectionType(product), 0);
    r.SetPreferredConnection(ctrl->GetPreferredConnection(product), 0);
    r.SetPhonebook(ctrl->GetPhonebook(product), 0);
    r.SetUserName(ctrl->GetUserName(product), 0);
    r.SetPassword(ctrl->GetPassword(product), 0);
    r.SetConfirmAllUpdates(ctrl->GetConfirmAllUpdates(product), 0);
    r.SetProductIndex(int(product));
    eventProduct_ = r;
    confirmUpdates_ = r.confirmAllUpdates;
    const CLangText info(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("ProductInfo"));
    displayName_ = r.productName + info.Get("ProductVersion") + text;
}

int CUpdateEventHandler::ask(const QString &text, int buttons, int icon)
{
    Busy busy(this);
    // Events that come while the box is up are handled at once.
    const bool wasPumping = std::exchange(pumping_, false);
    QPointer<CUpdateEventHandler> self(this);
    const int answer = app_ ? app_->messageBox(text, buttons, icon) : IDNO;
    if (self)
        pumping_ = wasPumping;
    return answer;
}

void CUpdateEventHandler::pump()
{
    if (pumping_)
        return;
    Busy busy(this);
    QPointer<CUpdateEventHandler> self(this);
    pumping_ = true;
    QCoreApplication::processEvents();
    if (self)
        pumping_ = false;
}

void CUpdateEventHandler::showSheet(bool show)
{
    CMainFrame *frame = app_ ? app_->mainFrame() : nullptr;
    if (!frame || !frame->sheetOpen || !frame->existingSheet() || !control())
        return;
    QDialog *d = frame->existingSheet()->dialog();
    if (!d)
        return;
    sheetHidden_ = !show;
    d->setVisible(show);
    if (!show)
        watchRunEnd(false);
}

void CUpdateEventHandler::watchRunEnd(bool reloadDates)
{
    reloadDates_ = reloadDates_ || reloadDates;
    if (!runEnd_->isActive())
        runEnd_->start();
}

void CUpdateEventHandler::checkRunEnd()
{
    CPatchwellCtrl *ctrl = control();
    if (!ctrl) {
        runEnd_->stop();
        return;
    }
    // A box of ours is up (its answer may end the run), or the run goes on.
    if (active_ > 0 || ctrl->GetUpdateRunning())
        return;
    runEnd_->stop();
    CMainFrame *frame = app_->mainFrame();
    ConfigurationSheet *sheet = frame && frame->sheetOpen ? frame->existingSheet() : nullptr;
    if (std::exchange(reloadDates_, false) && sheet)
        sheet->ReloadRunDates();
    if (std::exchange(sheetHidden_, false))
        showSheet(true);
}

void CUpdateEventHandler::bringMainWindowForward()
{
    if (CMainFrame *frame = app_ ? app_->mainFrame() : nullptr)
        frame->raise();
}

void CUpdateEventHandler::updatePrompt(long product, const QString &version)
{
    loadEventProduct(product, version);
    CPatchwellCtrl *ctrl = control();
    if (!confirmUpdates_) {
        ctrl->AnswerUpdatePrompt(product, true);
        return;
    }
    const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("UpdateEventMessage"));
    const QString readme = ctrl->GetReadmeFile(product);
    const QString command = t.Get("UpdateNotePadEditor") + readme;
    const QString nl = QStringLiteral("\n");
    const QString message =
        ctrl->GetInstallThroughBrowser(product)
            ? t.Get("UpdateAboutToExecBrowser1") + nl + t.Get("UpdateAboutToExecBrowser2") + displayName_ + nl + nl
                  + t.Get("UpdateAboutToExecBrowser3") + nl + t.Get("UpdateAboutToExecBrowser4") + nl
                  + t.Get("UpdateAboutToExecBrowser5")
            : t.Get("UpdateProceedWithUpdate1") + nl + t.Get("UpdateProceedWithUpdate2") + displayName_ + nl + nl
                  + t.Get("UpdateProceedWithUpdate3");

    QPointer<CUpdateEventHandler> self(this);
    ++prompts_;
    app_->promptShowing = true;
    bringMainWindowForward();
    const bool yes = ask(message, MB_YESNO, MB_ICONINFORMATION) == IDYES;
    if (!self)
        return;
    --prompts_;
    if (app_)
        app_->promptShowing = prompts_ > 0;
    // The program may have ended, or the engine gone, while the box was up.
    ctrl = control();
    if (!ctrl)
        return;
    showSheet(!yes);
    ctrl->AnswerUpdatePrompt(product, yes);
    // No ends the run without an event; Yes goes on to its end.
    watchRunEnd(!yes);
    if (!yes && status_) {
        retire(status_);
        status_ = nullptr;
    }
    if (yes && !readme.isEmpty()) {
        QScreen *screen = QGuiApplication::primaryScreen();
        CProcessLauncher(command).Start(screen ? std::optional<QRect>(screen->geometry()) : std::nullopt);
    }
}

void CUpdateEventHandler::upToDate(long product)
{
    const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("UpdateEventLogging"));
    watchRunEnd(true);
    ask(ProductUpToDateLine(t, control()->GetProductName(product)), MB_OK, MB_ICONNONE);
}

void CUpdateEventHandler::status(long kind, long product)
{
    const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("DunStatusDialog"));
    const char *key = kind == 2 ? "DialingConnection" : kind == 3 ? "AuthenticatingUser" : "DialupConnectionmade";
    const QString text = t.Get(key);
    if (status_) {
        pump();
        if (status_)
            status_->SetStatus(text);
        return;
    }
    loadEventProduct(product, QString());
    if (!confirmUpdates_)
        return;
    auto *dialog = new CDunStatusDialog;
    status_ = dialog;
    const QString caption = t.Get("Caption");
    if (!caption.isEmpty()) {
        const QString name = eventProduct_.preferredConnection;
        dialog->setWindowTitle(name.isEmpty() ? caption : caption + name + QStringLiteral("..."));
    }
    const CLangText common(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("AppCommon"));
    dialog->cancelButton()->setText(common.Get("CancelButtnTxt"));
    connect(dialog, &CDunStatusDialog::cancelRequested, this, &CUpdateEventHandler::onStatusCancel);
    dialog->show();
    placeInDesktopCorner(dialog);
    dialog->raise();
    bringMainWindowForward();
    showSheet(false);
    dialog->SetStatus(text);
}

void CUpdateEventHandler::onStatusCancel()
{
    Busy busy(this);
    QPointer<CDunStatusDialog> dialog = status_;
    if (!dialog || !dialog->cancelButton()->isEnabled())
        return;
    dialog->cancelButton()->setEnabled(false);
    const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("DownloadProgressDialog"));
    QPointer<CUpdateEventHandler> self(this);
    const bool yes = ask(t.Get("ConfirmCancel"), MB_YESNO, MB_ICONNONE) == IDYES;
    if (!self)
        return;
    if (yes) {
        if (CPatchwellCtrl *ctrl = control())
            ctrl->CancelUpdate();
    }
    if (dialog)
        dialog->cancelButton()->setEnabled(true);
}

void CUpdateEventHandler::progress(long kind, long number, const QString &text)
{
    if (!confirmUpdates_)
        return;
    const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("DownloadProgressDialog"));
    if (!progress_) {
        if (kind == 9)
            return;
        auto *dialog = new CDownloadProgressDialog(app_->mainFrame(), app_->installDirectory
                                                                          + QStringLiteral("\\filecopy.avi"));
        progress_ = dialog;
        dialog->SetRange(0, 100);
        dialog->SetStep(10);
        dialog->SetPos(0);
        dialog->setWindowTitle(t.Get("Caption") + displayName_);
        const CLangText common(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("AppCommon"));
        dialog->cancelButton()->setText(common.Get("CancelButtnTxt"));
        dialog->show();
        placeInDesktopCorner(dialog);
        dialog->raise();
    }
    switch (kind) {
    case 6:
        fileCount_ = number;
        fileNumber_ = 0;
        progress_->SetStatus(t.Get("AboutToDownload1") + QString::asprintf("%ld", number) + t.Get("AboutToDownload2"));
        break;
    case 7: {
        const int blocks = BlocksFor(number);
        pump();
        if (!progress_)
            return;
        progress_->SetRange(0, blocks);
        progress_->SetStep(1);
        progress_->SetPos(0);
        ++fileNumber_;
        progress_->SetStatus(t.Get("DownloadingFile1") + QString::asprintf("%ld", fileNumber_) + t.Get("DownloadingFile2")
                             + QString::asprintf("%ld", fileCount_) + t.Get("DownloadingFile3") + text);
        break;
    }
    case 8:
        closeProgress();
        break;
    case 9: {
        pump();
        if (!progress_)
            return;
        progress_->StepIt();
        if (!progress_->cancelPressed())
            return;
        progress_->ClearCancel();
        QPointer<CUpdateEventHandler> self(this);
        const bool yes = ask(t.Get("ConfirmCancel"), MB_YESNO, MB_ICONNONE) == IDYES;
        if (!self || !yes)
            return;
        if (CPatchwellCtrl *ctrl = control()) {
            ctrl->CancelUpdate();
            app_->promptShowing = prompts_ > 0;
        }
        break;
    }
    default:
        break;
    }
}

void CUpdateEventHandler::restart()
{
    const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("UpdateEventMessage"));
    ask(t.Get("UpdateRequiresReboot1") + QStringLiteral("\n") + t.Get("UpdateRequiresReboot2") + displayName_, MB_OK,
        MB_ICONNONE);
}

void CUpdateEventHandler::completionPrompt()
{
    const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("UpdateEventMessage"));
    const long product = eventProduct_.productIndex;
    bringMainWindowForward();
    QPointer<CUpdateEventHandler> self(this);
    const bool yes = ask(t.Get("UpdatePromptForUpdateComplete"), MB_YESNO, MB_ICONNONE) == IDYES;
    if (!self)
        return;
    if (CPatchwellCtrl *ctrl = control()) {
        ctrl->AnswerCompletionPrompt(product, yes);
        // Either answer ends the run; No without an event of its own.
        watchRunEnd(true);
    }
}

void CUpdateEventHandler::finish(long kind, long number, const QString &text)
{
    if (kind == 13 || kind == 14 || kind == 16 || kind == 18 || kind == 20)
        loadEventProduct(number, QString());
    if (kind == 11)
        control()->SetUpdateAlert(true);
    watchRunEnd(true);
    DestroyDialogs();
    if (confirmUpdates_) {
        const CLangText t(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("UpdateEventMessage"));
        QString message;
        switch (kind) {
        case 13: message = t.Get("UnableToFindUpdateInfoOnServer"); break;
        case 14: message = t.Get(app_->osKind == 1 ? "RasNotInstalled" : "DunNotInstalled"); break;
        case 15: message = t.Get("UnableToConnectToFtpServer"); break;
        case 16: message = t.Get("UnableToDownloadVersionInfo"); break;
        case 17: message = t.Get("UnableToProcessVersionInfo"); break;
        case 18: message = t.Get("UnableToProcessUpdateIniFile"); break;
        case 20: message = t.Get("UnableToConnectToUrl") + text; break;
        case 21: message = t.Get("UnableToMakeDunConnection") + text; break;
        case 23: message = t.Get("UnableToDownloadFilesFromFtpServer"); break;
        case 24: message = t.Get("UpdateAborted1") + displayName_ + t.Get("UpdateAborted2"); break;
        default: break;   // 11, 19 and 25 have no message
        }
        if (kind != 11 && kind != 19 && kind != 25) {
            QPointer<CUpdateEventHandler> self(this);
            ask(message, MB_OK, MB_ICONERROR);
            if (!self)
                return;
        }
    }
    if (kind == 11 && control())
        app_->SetUpdateAlert(true);
    // The run is over: a sheet the update prompt hid comes back. Started only
    // for the sheet (by Portdeck), the user would otherwise be left with none.
    showSheet(true);
}

void CUpdateEventHandler::closeProgress()
{
    if (progress_) {
        progress_->ReleaseOwner();
        retire(progress_);
    }
    progress_ = nullptr;
}

void CUpdateEventHandler::DestroyDialogs()
{
    if (status_)
        retire(status_);
    status_ = nullptr;
    closeProgress();
}

void CUpdateEventHandler::DeleteWhenIdle(QObject *object)
{
    if (object)
        retire(object);
}

void CUpdateEventHandler::retire(QObject *object)
{
    if (auto *w = qobject_cast<QWidget *>(object))
        w->hide();
    retired_.append(object);
    if (active_ == 0)
        whenIdle();
}

void CUpdateEventHandler::whenIdle()
{
    // Through the event loop: the caller may itself be a handler of the object.
    const QList<QPointer<QObject>> retired = std::exchange(retired_, {});
    for (const QPointer<QObject> &o : retired)
        if (o)
            o->deleteLater();
}
