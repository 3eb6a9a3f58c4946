#include "trayicon.h"

#include "clock.h"
#include "windowmessages.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

TrayBackendFactory &factory()
{
    static TrayBackendFactory f;
    return f;
}

// True when the session's StatusNotifier watcher has a host: the icon then goes
// over D-Bus (as Qt itself decides), where the host's "activate" stands for the
// double click an embedded icon gets.
bool statusNotifierHost()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()
        || !bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher") << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && qdbus_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

class DesktopTray : public TrayBackend {
public:
    bool add(const QIcon &icon, const QString &tip) override
    {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return false;
        const bool overDBus = statusNotifierHost();
        icon_ = std::make_unique<QSystemTrayIcon>(icon);
        icon_->setToolTip(tip);
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, [this, overDBus](QSystemTrayIcon::ActivationReason r) {
            if (!onMouse)
                return;
            if (r == QSystemTrayIcon::DoubleClick)
                onMouse(WM_LBUTTONDBLCLK_);
            else if (r == QSystemTrayIcon::Context)
                onMouse(WM_RBUTTONUP_);
            else if (r == QSystemTrayIcon::Trigger)
                onMouse(overDBus ? WM_LBUTTONDBLCLK_ : WM_LBUTTONUP_);
        });
        if (menu_)
            icon_->setContextMenu(menu_);
        icon_->show();
        return true;
    }
    void setIcon(const QIcon &icon) override
    {
        if (icon_)
            icon_->setIcon(icon);
    }
    void setToolTip(const QString &tip) override
    {
        if (icon_)
            icon_->setToolTip(tip);
    }
    void remove() override { icon_.reset(); }
    void setMenu(QMenu *menu) override
    {
        menu_ = menu;
        if (icon_)
            icon_->setContextMenu(menu);
    }
    void popUp(QMenu *menu, const QPoint &at) override
    {
        if (icon_ && menu == menu_)
            return;   // the desktop has shown it already
        menu->popup(at);
    }
private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    QPointer<QMenu> menu_;
};

} // namespace

void setTrayBackendFactory(TrayBackendFactory f)
{
    factory() = std::move(f);
}

std::unique_ptr<TrayBackend> makeTrayBackend()
{
    if (factory())
        return factory()();
    return std::make_unique<DesktopTray>();
}

CTrayTimerWnd::CTrayTimerWnd(CTrayNotifyIcon *icon, const QList<QIcon> &icons, int intervalMs)
    : icon_(icon), icons_(icons), timer_(new ScaledTimer(this, intervalMs))
{
    connect(timer_, &ScaledTimer::timeout, this, &CTrayTimerWnd::tick);
    timer_->setEnabled(true);
}

CTrayTimerWnd::~CTrayTimerWnd()
{
    timer_->setEnabled(false);
}

void CTrayTimerWnd::tick()
{
    if (icons_.isEmpty())
        return;
    index_ = (index_ + 1) % int(icons_.size());
    icon_->SetIcon(icons_[index_]);
}

CTrayNotifyIcon::CTrayNotifyIcon(QObject *owner) : QObject(owner), owner_(owner) {}

CTrayNotifyIcon::~CTrayNotifyIcon()
{
    Remove();
}

bool CTrayNotifyIcon::Create(const QString &tip, const QIcon &icon)
{
    backend_ = makeTrayBackend();
    tip_ = tip.left(63);
    backend_->onMouse = [this](int mouse) { PostMessage(owner_, WM_TRAYNOTIFY, kTrayIconId, mouse); };
    added_ = backend_->add(icon, tip_);
    return added_;
}

void CTrayNotifyIcon::SetIcon(const QIcon &icon)
{
    if (added_)
        backend_->setIcon(icon);
}

void CTrayNotifyIcon::SetTooltipText(const QString &tip)
{
    if (!added_)
        return;
    tip_ = tip.left(63);
    backend_->setToolTip(tip_);
}

void CTrayNotifyIcon::SetMenu(QMenu *menu)
{
    if (backend_)
        backend_->setMenu(menu);
}

void CTrayNotifyIcon::Remove()
{
    delete animation_;
    if (added_ && backend_)
        backend_->remove();
    added_ = false;
}

bool CTrayNotifyIcon::SetAlert(bool on, const QIcon &idle, const QIcon &alert, const QString &title,
                               const QString &alertTip)
{
    if (on == alertActive_)
        return false;
    if (on) {
        SetIcon(idle);
        animation_ = new CTrayTimerWnd(this, {idle, alert}, 250);
        alertActive_ = true;
        SetTooltipText(title + QStringLiteral("...") + alertTip);
    } else {
        delete animation_;
        SetIcon(idle);
        SetTooltipText(title);
        alertActive_ = false;
    }
    return true;
}
