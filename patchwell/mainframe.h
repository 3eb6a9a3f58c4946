#pragma once
// The hidden main frame: owner of the tray icon, the configuration sheet and
// the view of the shared request block. The tray's mouse messages, the menu's
// commands, the single-instance request and the shared-memory request all
// arrive here as window messages.

#include "configsheet.h"
#include "sharedmemory.h"
#include "trayicon.h"

#include <QIcon>
#include <QWidget>
#include <memory>

class CPatchwellApp;
class QMenu;

constexpr quint32 WM_VARNELPWEVENTMSG = 0xC0DE;   // the registered message "VarnelPWEventMsg"
constexpr int ID_UPDATE_CONFIGURATION = 32775;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;

class CMainFrame : public QWidget {
    Q_OBJECT
public:
    explicit CMainFrame(CPatchwellApp *app);
    ~CMainFrame() override;

    bool Create(bool reportFailure);     // adds the tray icon; false when it cannot
    void OnTrayNotification(qintptr wParam, qintptr lParam);
    void OnEventMsg();                   // the registered message
    void OpenSheet();
    void OnExit();
    void SetUpdateAlert(bool on);
    void PrepareMenu();                  // texts and enabling, as before the pop-up opens

    CTrayNotifyIcon *tray() const { return tray_; }
    QMenu *menu() const { return menu_; }
    ConfigurationSheet *sheet();                       // made on first use
    ConfigurationSheet *existingSheet() const { return sheet_.get(); }
    bool sheetOpen = false;
    QIcon idleIcon;
    QIcon alertIcon;

protected:
    bool event(QEvent *e) override;

private:
    CPatchwellApp *app_;
    CTrayNotifyIcon *tray_ = nullptr;
    QMenu *menu_ = nullptr;
    std::unique_ptr<ConfigurationSheet> sheet_;
    SharedMemoryBlock shared_{QStringLiteral("VarnelPWEventMsg")};
    bool sharedView_ = false;
};
