#pragma once
// The hidden main frame: owner of the tray icon, the configuration sheet and
// the view of the shared request block. The tray's mouse messages, the menu's
// commands, the single-instance request and the shared-memory request all
// arrive here as posted window messages, so each runs from the event loop with
// no handler of the tray or its menu beneath it.

#include "configsheet.h"
#include "sharedmemory.h"
#include "trayicon.h"

#include <QIcon>
#include <QWidget>
#include <memory>

class CPatchwellApp;
class QMenu;

constexpr quint32 WM_VARNELPWEVENTMSG = 0xC0DE;   // the registered message "VarnelPWEventMsg"
constexpr quint32 WM_COMMAND_ = 0x0111;            // a menu command: wParam is its id
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
    void OnCommand(int id);
    void OnExit();
    void SetUpdateAlert(bool on);
    void PrepareMenu();                  // texts and enabling, as before the pop-up opens

    CTrayNotifyIcon *tray() const { return tray_; }
    QMenu *menu() const { return menu_.get(); }
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
    // Not a child of the frame: a download's progress window disables the frame,
    // and the menu (with Exit greyed) must still open.
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<ConfigurationSheet> sheet_;
    SharedMemoryBlock shared_{QStringLiteral("VarnelPWEventMsg")};
    bool sharedView_ = false;
};
