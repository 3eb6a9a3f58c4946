#pragma once
// The notification-area icon. The desktop's tray is reached through a backend
// (QSystemTrayIcon by default; tests install their own), so the icon's life,
// tip, animation and menu are the program's own logic on every desktop.
//
// The icon's mouse messages are posted to its owner, never handled inside the
// desktop's own callback: what they start (the sheet's loop, Exit removing this
// very icon) then never has the tray's code beneath it on the stack.

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>

class QMenu;
class ScaledTimer;

constexpr quint32 WM_TRAYNOTIFY = 0x464;   // the icon's callback message
constexpr int WM_LBUTTONUP_ = 0x202;
constexpr int WM_LBUTTONDBLCLK_ = 0x203;
constexpr int WM_RBUTTONUP_ = 0x205;
constexpr int kTrayIconId = 131;

class TrayBackend {
public:
    virtual ~TrayBackend() = default;
    virtual bool add(const QIcon &icon, const QString &tip) = 0;   // false when the desktop has no tray
    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setToolTip(const QString &tip) = 0;
    virtual void remove() = 0;
    // Shows the menu at the point, without waiting for the choice. A desktop
    // that shows the icon's menu itself (given through setMenu) does nothing.
    virtual void popUp(QMenu *menu, const QPoint &at) = 0;
    // The icon's menu, for desktops that show it themselves (a right click on
    // an embedded icon, or the host's menu over D-Bus).
    virtual void setMenu(QMenu *) {}
    // Mouse messages of the icon (WM_LBUTTONDBLCLK_, WM_RBUTTONUP_, ...).
    std::function<void(int mouseMessage)> onMouse;
};

using TrayBackendFactory = std::function<std::unique_ptr<TrayBackend>()>;
// Tests install their own; null restores the desktop's tray.
void setTrayBackendFactory(TrayBackendFactory factory);
std::unique_ptr<TrayBackend> makeTrayBackend();

class CTrayNotifyIcon;

// Invisible: swaps the icon between its pictures at a fixed interval.
class CTrayTimerWnd : public QObject {
public:
    CTrayTimerWnd(CTrayNotifyIcon *icon, const QList<QIcon> &icons, int intervalMs);
    ~CTrayTimerWnd() override;
    int shown() const { return index_; }
private:
    void tick();
    CTrayNotifyIcon *icon_;
    QList<QIcon> icons_;
    ScaledTimer *timer_;
    int index_ = 0;
};

class CTrayNotifyIcon : public QObject {
public:
    explicit CTrayNotifyIcon(QObject *owner);
    ~CTrayNotifyIcon() override;   // removes the icon, closes the animation

    bool Create(const QString &tip, const QIcon &icon);
    bool IsAdded() const { return added_; }
    void SetIcon(const QIcon &icon);
    void SetTooltipText(const QString &tip);   // at most 63 characters are kept
    void SetMenu(QMenu *menu);
    QString TooltipText() const { return tip_; }
    void Remove();
    // The update alert: animation between the two icons and its tip.
    // Returns whether the state changed (the caller then tells the engine).
    bool SetAlert(bool on, const QIcon &idle, const QIcon &alert, const QString &title, const QString &alertTip);
    bool AlertActive() const { return alertActive_; }
    CTrayTimerWnd *Animation() const { return animation_; }
    TrayBackend *backend() const { return backend_.get(); }

private:
    QObject *owner_;
    std::unique_ptr<TrayBackend> backend_;
    QPointer<CTrayTimerWnd> animation_;
    bool added_ = false;
    bool alertActive_ = false;
    QString tip_;
};
