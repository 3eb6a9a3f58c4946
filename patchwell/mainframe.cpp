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

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create(bool reportFailure)
{
    tray_ = new CTrayNotifyIcon(this);
    if (!tray_->Create(QStringLiteral("Patchwell"), idleIcon)) {
        if (reportFailure)
            app_->messageBox(QStringLiteral("Failed to create tray icon"), MB_OK, MB_ICONERROR);
        return false;
    }
    menu_ = new QMenu(this);
    menu_->addAction(QString())->setData(ID_UPDATE_CONFIGURATION);
    menu_->addSeparator();
    menu_->addAction(QString())->setData(ID_APP_ABOUT);
    menu_->addSeparator();
    menu_->addAction(QString())->setData(ID_APP_EXIT);
    connect(menu_, &QMenu::aboutToShow, this, &CMainFrame::PrepareMenu);
    connect(menu_, &QMenu::triggered, this, [this](QAction *a) {
        switch (a->data().toInt()) {
        case ID_UPDATE_CONFIGURATION:
            SendMessage(this, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
            break;
        case ID_APP_ABOUT:
            app_->OnAppAbout();
            break;
        case ID_APP_EXIT:
            OnExit();
            break;
        }
    });
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
            a->setEnabled(!app_->aboutBoxOpen && !app_->control()->GetUpdateRunning());
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
        else if (m->message() == WM_VARNELPWEVENTMSG)
            OnEventMsg();
        return true;
    }
    return QWidget::event(e);
}

void CMainFrame::OnTrayNotification(qintptr wParam, qintptr lParam)
{
    if (lParam == WM_LBUTTONDBLCLK_) {
        if (app_->configOnlyMode) {
            OpenSheet();
            app_->configOnlyMode = false;
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
    if (lParam == WM_RBUTTONUP_ && menu_ && tray_) {
        PrepareMenu();
        tray_->backend()->popUp(menu_, QCursor::pos());
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
    if (app_->control()->GetUpdateRunning())
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
