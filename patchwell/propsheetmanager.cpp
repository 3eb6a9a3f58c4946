#include "propsheetmanager.h"

#include "app.h"
#include "commonpage.h"
#include "generalpage.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "prefconnectionpage.h"
#include "schedulingpage.h"
#include "startupshortcut.h"
#include "tabctrlwithdisable.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char *const kTabSections[CPropSheetManager::TabCount] = {"CommonPage", "SchedulingPage", "ConnectionPage",
                                                               "GeneralPage"};

// The character a key press stands for, for comparing with a mnemonic.
QChar keyCharacter(const QKeyEvent *key)
{
    if (!key->text().isEmpty() && key->text().at(0).isPrint())
        return key->text().at(0);
    if (key->key() > 32 && key->key() < 0x10000)
        return QChar(key->key());
    return {};
}

} // namespace

CPropSheetManager::CPropSheetManager(CPatchwellApp *app, CMainFrame *frame)
    : app_(app), frame_(frame), tabs_(new CTabCtrlWithDisable(this)), stack_(new QStackedWidget(this)),
      ok_(new QPushButton(this)), cancel_(new QPushButton(this)), idle_(new QTimer(this))
{
    setObjectName(QStringLiteral("CPropSheetManager"));
    setWindowTitle(QStringLiteral("Patchwell - No Products Detected"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    if (frame)
        setWindowIcon(frame->idleIcon);
    ok_->setObjectName(QStringLiteral("IDOK"));
    cancel_->setObjectName(QStringLiteral("IDCANCEL"));
    ok_->setText(text("AppCommon", "OkButtnTxt").isEmpty() ? QStringLiteral("OK") : text("AppCommon", "OkButtnTxt"));
    cancel_->setText(text("AppCommon", "CancelButtnTxt"));
    for (QPushButton *b : {ok_, cancel_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    for (int i = 0; i < TabCount; ++i)
        tabs_->addCaptionedTab(QString());
    tabs_->selectionRequest = [this](int index) { return SetActivePage(index); };
    // A tab chosen by any other way (assistive technology presses the tab
    // itself) goes through the same checks; a refusal puts the bar back.
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (changingPage_ || index == active_ || active_ < 0)
            return;
        if (!tabs_->IsTabEnabled(index) || !SetActivePage(index)) {
            const QSignalBlocker quiet(tabs_);
            tabs_->setCurrentIndex(active_);
        }
    });
    tabs_->setAccessibleName(text("Accessibility", "Pages"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(stack_, 1);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &CPropSheetManager::OnOK);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    products_.updateShortcut = [app](bool wanted) {
        startup::UpdateShortcut(wanted, app->osKind, QCoreApplication::applicationFilePath());
    };
    // The event-log buttons follow the engine's counts while the sheet is up.
    idle_->setInterval(500);
    connect(idle_, &QTimer::timeout, this, &CPropSheetManager::RefreshEventLogButtons);
    pages_[CommonTab] = createPage(CommonTab);
    resize(520, 420);
}

CPropSheetManager::~CPropSheetManager()
{
    if (loop_)
        loop_->quit();
    qApp->removeEventFilter(this);
}

CPatchwellCtrl &CPropSheetManager::control() const
{
    return *app_->control();
}

QString CPropSheetManager::text(const char *section, const char *key) const
{
    return CLangText(app_->installDirectory, QStringLiteral("PW"), QLatin1String(section)).Get(key);
}

CPropertyPage *CPropSheetManager::page(int index) const
{
    return index >= 0 && index < TabCount ? pages_[index].data() : nullptr;
}

CPropertyPage *CPropSheetManager::createPage(int index)
{
    CPropertyPage *p = nullptr;
    switch (index) {
    case CommonTab:
        p = new CCommonPage(this);
        break;
    case SchedulingTab:
        p = new CSchedulingPage(this);
        break;
    case ConnectionTab:
        p = new CPrefConnectionPage(this);
        break;
    case GeneralTab:
        p = new CGeneralPage(this);
        break;
    default:
        return nullptr;
    }
    stack_->addWidget(p);
    for (QPushButton *b : p->findChildren<QPushButton *>())
        b->setAutoDefault(false);
    return p;
}

void CPropSheetManager::RunModal()
{
    if (loop_ || !app_->control())
        return;
    ending_ = false;
    setResult(QDialog::Rejected);
    // A new opening: the other pages are made again when their tab is first shown.
    for (int i = SchedulingTab; i < TabCount; ++i)
        delete pages_[i].data();
    active_ = -1;
    for (int i = 0; i < TabCount; ++i)
        tabs_->setCaption(i, text(kTabSections[i], "Caption"));
    if (!tabs_->IsTabEnabled(0)) {
        const int next = tabs_->NextEnabledTab(0, true);
        if (next >= 0)
            tabs_->setCurrentIndex(next);
    }
    SetActivePage(CommonTab);
    static_cast<CCommonPage *>(page(CommonTab))->Initialise();

    qApp->installEventFilter(this);
    idle_->start();
    // Modal to the hidden main window only: the tray icon and its menu stay
    // usable under the sheet, as the About box and the boxes leave them.
    setWindowModality(Qt::WindowModal);
    show();
    raise();
    activateWindow();
    // The sheet's own loop: hiding the sheet (an update prompt does) does not end it.
    QEventLoop loop;
    loop_ = &loop;
    if (!ending_)
        loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
    idle_->stop();
    qApp->removeEventFilter(this);
    hide();
    if (!app_->control())
        return;
    if (result() == QDialog::Accepted)
        products_.WriteBackAll(control(), true);
    else
        products_.RestoreAll(control());
}

void CPropSheetManager::done(int result)
{
    ending_ = true;
    QDialog::done(result);
    if (loop_)
        loop_->quit();
}

void CPropSheetManager::EndSheet()
{
    reject();
}

void CPropSheetManager::OnOK()
{
    if (ending_)
        return;
    if (CPropertyPage *p = page(active_); p && !p->OnKillActive())
        return;
    if (!ending_)
        accept();
}

bool CPropSheetManager::SetActivePage(int index)
{
    if (index < 0 || index >= TabCount || changingPage_)
        return false;
    if (index == active_ && page(index))
        return true;
    changingPage_ = true;
    CPropertyPage *old = page(active_);
    const bool left = !old || old->OnKillActive();
    if (!left || ending_) {
        changingPage_ = false;
        tabs_->setCurrentIndex(active_);
        return false;
    }
    if (!pages_[index])
        pages_[index] = createPage(index);
    CPropertyPage *p = pages_[index];
    stack_->setCurrentWidget(p);
    active_ = index;
    tabs_->setCurrentIndex(index);
    changingPage_ = false;
    p->OnSetActive();
    return true;
}

int CPropSheetManager::TabMnemonic(int index) const
{
    if (index < 0 || index > tabs_->count())
        return -1;
    const QString caption = tabs_->caption(index);
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (amp < 0 || amp + 1 >= caption.size())
        return 255;
    return caption.at(amp + 1).unicode();
}

bool CPropSheetManager::ActivateByMnemonic(QChar c)
{
    if (c.isNull())
        return false;
    const QString upper = QStringLiteral("&") + c.toUpper(), lower = QStringLiteral("&") + c.toLower();
    for (int i = 0; i < tabs_->count(); ++i) {
        const QString caption = tabs_->caption(i).left(79);
        if (caption.contains(upper) || caption.contains(lower)) {
            SetActivePage(i);
            return true;
        }
    }
    return false;
}

void CPropSheetManager::PostTabMnemonic(int index)
{
    const int m = TabMnemonic(index);
    if (m <= 0 || m == 255)
        return;
    QMetaObject::invokeMethod(this, [this, m] {
        if (!ending_)
            ActivateByMnemonic(QChar(m));
    }, Qt::QueuedConnection);
}

void CPropSheetManager::OnProductsLoaded()
{
    const bool any = products_.count() > 0;
    if (any) {
        ok_->setText(text("AppCommon", "CloseButtnTxt"));
        cancel_->setText(text("AppCommon", "CancelButtnTxt"));
        ok_->show();
    } else {
        cancel_->setText(text("AppCommon", "CloseButtnTxt"));
        ok_->hide();
    }
    tabs_->SetTabEnabled(CommonTab, true);
    for (int i = SchedulingTab; i < TabCount; ++i)
        tabs_->SetTabEnabled(i, any);
}

void CPropSheetManager::SelectRequestedProductAndTab(int position, int tab)
{
    if (auto *common = static_cast<CCommonPage *>(page(CommonTab)))
        common->SelectRequestedProductAndTab(position, tab);
}

void CPropSheetManager::StopSchedulingAnimation()
{
    if (auto *scheduling = static_cast<CSchedulingPage *>(page(SchedulingTab)))
        scheduling->StopAnimation();
}

void CPropSheetManager::ReloadRunDates()
{
    if (!loop_ || ending_ || !app_->control())
        return;
    for (int i = 0; i < products_.count(); ++i)
        products_.at(i)->ReloadRunDates(control());
    // The Scheduling page keeps its own copies: shown, it takes the new ones.
    if (active_ == SchedulingTab && page(SchedulingTab))
        page(SchedulingTab)->OnSetActive();
}

void CPropSheetManager::RefreshEventLogButtons()
{
    if (auto *common = static_cast<CCommonPage *>(page(CommonTab)))
        common->RefreshEventLogButtons();
}

void CPropSheetManager::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape reach the focused control and stop there: they neither
    // press OK nor cancel the sheet.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Cancel:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool CPropSheetManager::handleSheetKey(QKeyEvent *key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const int k = key->key();
    if (mods & Qt::AltModifier && !(mods & Qt::ControlModifier) && k > 32 && k != Qt::Key_Alt)
        return ActivateByMnemonic(keyCharacter(key));
    if (mods & Qt::ControlModifier && !(mods & Qt::AltModifier)) {
        const bool shift = mods & Qt::ShiftModifier;
        int to = -2;
        if ((k == Qt::Key_Tab && !shift) || (k == Qt::Key_PageDown && !shift))
            to = tabs_->NextEnabledTab(active_, true);
        else if (k == Qt::Key_Backtab || (k == Qt::Key_Tab && shift) || (k == Qt::Key_PageDown && shift)
                 || (k == Qt::Key_PageUp && !shift))
            to = tabs_->PreviousEnabledTab(active_, true);
        if (to == -2)
            return false;
        if (to >= 0)
            tabs_->SelectTab(to);
        return true;
    }
    return false;
}

bool CPropSheetManager::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != this || !isVisible() || QApplication::activePopupWidget())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys the sheet handles itself are not given to shortcuts (a button's
        // mnemonic equal to a tab's) first.
        const bool alt = key->modifiers() & Qt::AltModifier;
        if (alt && !(key->modifiers() & Qt::ControlModifier)) {
            const QChar c = keyCharacter(key);
            for (int i = 0; i < tabs_->count() && !c.isNull(); ++i) {
                const QString caption = tabs_->caption(i).left(79);
                if (caption.contains(QStringLiteral("&") + c.toUpper()) || caption.contains(QStringLiteral("&") + c.toLower())) {
                    event->accept();
                    return true;
                }
            }
        }
        return false;
    }
    return handleSheetKey(key);
}
