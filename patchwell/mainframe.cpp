#include "mainframe.h"

#include "app.h"
#include "langtext.h"
#include "patchwellctrl.h"
#include "downloadprogressdialog.h"
#include "dunstatusdialog.h"
#include "updateevents.h"
#include "windowmessages.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QMenu>
#include <QPainter>

namespace {

// Two pictures of the same tray icon: at rest, and lit for the update alert.
QIcon drawIcon(const QColor &fill)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(fill);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(18);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("P"));
    return QIcon(pm);
}

} // namespace

CMainFrame::CMainFrame(CPatchwellApp *app) : app_(app)
{
    setObjectName(QStringLiteral("MyNewClass"));
    idleIcon = drawIcon(QColor(0, 70, 160));
    alertIcon = drawIcon(QColor(230, 120, 0));
    // Created or opened; without it the shared request has nothing to read.
    sharedView_ = shared_.create(100);
}

CMainFrame::~CMainFrame()
{
    // The icon goes before the menu it shows.
    delete tray_;
    tray_ = nullptr;
}

bool CMainFrame::Create(bool reportFailure)
{
    tray_ = new CTrayNotifyIcon(this);
    if (!tray_->Create(QStringLiteral("Patchwell"), idleIcon)) {
        if (reportFailure)
            app_->messageBox(QStringLiteral("Failed to create tray icon"), MB_OK, MB_ICONERROR);
        return false;
    }
    menu_ = std::make_unique<QMenu>();
    menu_->setObjectName(QStringLiteral("trayMenu131"));
    menu_->addAction(QString())->setData(ID_UPDATE_CONFIGURATION);
    menu_->addSeparator();
    menu_->addAction(QString())->setData(ID_APP_ABOUT);
    menu_->addSeparator();
    menu_->addAction(QString())->setData(ID_APP_EXIT);
    connect(menu_.get(), &QMenu::aboutToShow, this, &CMainFrame::PrepareMenu);
    // The command is posted to the frame, as a tracked menu does: it runs once
    // the menu's own handler has returned (Exit removes the icon the menu came from).
    connect(menu_.get(), &QMenu::triggered, this,
            [this](QAction *a) { PostMessage(this, WM_COMMAND_, a->data().toInt(), 0); });
    tray_->SetMenu(menu_.get());
    return true;
}

ConfigurationSheet *CMainFrame::sheet()
{
    if (!sheet_)
        sheet_ = app_->makeSheet(this);
    return sheet_.get();
}

void CMainFrame::PrepareMenu()
{
    const CLangText texts(app_->installDirectory, QStringLiteral("PW"), QStringLiteral("AppMenu"));
    for (QAction *a : menu_->actions()) {
        switch (a->data().toInt()) {
        case ID_UPDATE_CONFIGURATION:
            a->setText(texts.Get("UpdateConfiguration"));
            break;
        case ID_APP_ABOUT:
            a->setText(texts.Get("AboutPatchwell"));
            a->setEnabled(!app_->promptShowing);
            app_->configOnlyMode = false;
            break;
        case ID_APP_EXIT:
            a->setText(texts.Get("Exit"));
            a->setEnabled(!app_->aboutBoxOpen && !(app_->control() && app_->control()->GetUpdateRunning()));
            break;
        }
    }
    if (!menu_->actions().isEmpty())
        menu_->setDefaultAction(menu_->actions().first());
}

bool CMainFrame::event(QEvent *e)
{
    if (e->type() == WindowMessageEvent::eventType()) {
        auto *m = static_cast<WindowMessageEvent *>(e);
        if (m->message() == WM_TRAYNOTIFY)
            OnTrayNotification(m->wParam(), m->lParam());
        else if (m->message() == WM_COMMAND_)
            OnCommand(int(m->wParam()));
        else if (m->message() == WM_VARNELPWEVENTMSG)
            OnEventMsg();
        return true;
    }
    return QWidget::event(e);
}

void CMainFrame::OnCommand(int id)
{
    if (app_->isClosing())
        return;
    switch (id) {
    case ID_UPDATE_CONFIGURATION:
        SendMessage(this, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
        break;
    case ID_APP_ABOUT:
        // Greyed while a prompt is up; a command already on its way is dropped too.
        if (!app_->promptShowing)
            app_->OnAppAbout();
        break;
    case ID_APP_EXIT:
        if (!app_->aboutBoxOpen && !(app_->control() && app_->control()->GetUpdateRunning()))
            OnExit();
        break;
    default:
        break;
    }
}

void CMainFrame::OnTrayNotification(qintptr wParam, qintptr lParam)
{
    if (app_->isClosing())
        return;
    if (lParam == WM_LBUTTONDBLCLK_) {
        if (app_->configOnlyMode) {
            // Cleared before the sheet's loop runs: a second start arriving
            // inside it brings this sheet forward instead of ending it.
            app_->configOnlyMode = false;
            OpenSheet();
            if (sheetOpen && sheet_)
                sheet_->EndSheet();
            app_->Close();
            return;
        }
        if (QWidget *about = app_->aboutBox()) {
            about->close();
            OpenSheet();
            return;
        }
        QWidget *popup = QApplication::activeModalWidget();
        // The update's status and progress windows are the frame's pop-ups too,
        // though modeless: they come forward instead of the sheet.
        if (!popup && app_->updateEvents()) {
            if (QWidget *progress = app_->updateEvents()->progressDialog(); progress && progress->isVisible())
                popup = progress;
            else if (QWidget *status = app_->updateEvents()->statusDialog(); status && status->isVisible())
                popup = status;
        }
        if (popup && (!sheet_ || popup != sheet_->dialog())) {
            popup->raise();
            popup->activateWindow();
            return;
        }
        OpenSheet();
        return;
    }
    if (wParam != kTrayIconId)
        return;
    if (lParam == WM_RBUTTONUP_ && menu_ && tray_ && tray_->IsAdded()) {
        PrepareMenu();
        tray_->backend()->popUp(menu_.get(), QCursor::pos());
    }
}

void CMainFrame::OpenSheet()
{
    ConfigurationSheet *s = sheet();
    if (sheetOpen) {
        s->dialog()->show();
        s->dialog()->raise();
        s->dialog()->activateWindow();
        return;
    }
    sheetOpen = true;
    s->RunModal();
    sheetOpen = false;
}

void CMainFrame::OnEventMsg()
{
    if (!sharedView_ || !shared_.data())
        return;
    const char *text = static_cast<const char *>(shared_.data());
    app_->requestedProduct = QString::fromLocal8Bit(text, int(qstrnlen(text, shared_.size())));
    if (!app_->control() || app_->control()->GetUpdateRunning() || app_->isClosing())
        return;
    if (!sheetOpen) {
        PostMessage(this, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
        return;
    }
    QDialog *d = sheet()->dialog();
    d->show();
    d->raise();
    d->activateWindow();
    sheet()->SelectRequestedProductAndTab(-1, 1);
}

void CMainFrame::OnExit()
{
    if (app_->isClosing())
        return;
    // Closing first: a handler that wakes up from its box meanwhile stops there.
    app_->BeginClose();
    if (sheetOpen && sheet_)
        sheet_->EndSheet();
    if (tray_)
        tray_->Remove();
    app_->Close();
}

void CMainFrame::SetUpdateAlert(bool on)
{
    if (!tray_)
        return;
    if (tray_->SetAlert(on, idleIcon, alertIcon, QStringLiteral("Patchwell"),
                        QStringLiteral("Update Alert! View recent updates.")))
        app_->control()->SetUpdateAlert(on);
}
