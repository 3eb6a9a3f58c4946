#pragma once
// The application object: start-up in its fixed order (one copy per machine,
// the control registered and created, the hidden frame with its tray icon),
// the engine's events, and the way out (control unregistered).

#include "commandline.h"
#include "configsheet.h"
#include "uiservices.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class CMainFrame;
class CPatchwellCtrl;
class CUpdateEventHandler;
class WindowClassRegistration;
class QDialog;

class CPatchwellApp : public QObject {
    Q_OBJECT
public:
    CPatchwellApp();
    ~CPatchwellApp() override;

    // The start; false when the program is to end at once (a second copy, or a
    // failure already reported).
    bool InitInstance(const QStringList &arguments);
    void ExitInstance();
    // WM_CLOSE to the main window: the program ends once the running handlers
    // have returned (every nested loop ends, no window can refuse).
    void Close();
    // Marks the program as ending: what wakes up from a box or a wait stops there.
    void BeginClose() { closing_ = true; }
    bool isClosing() const { return closing_; }
    // Asked to end by the session or a caller (SIGTERM): a running update is
    // cancelled without a question (nothing is installed), then as Exit.
    void Terminate();

    // 0 Windows 95/98, 1 Windows NT, 2 other, 3 unknown: this platform counts as NT.
    static int DetermineOsKind() { return 1; }

    int messageBox(const QString &text, int buttons, int icon);
    // Opens the About box, or brings it forward; it runs beside the program's
    // loop, not in a loop of its own.
    void OnAppAbout();
    QWidget *aboutBox() const;   // the About box while it is shown
    CPatchwellCtrl *control() const { return control_; }
    // Takes a control made elsewhere (a test's, on its own engine); owned from now on.
    void AttachControl(CPatchwellCtrl *control) { control_ = control; }
    CMainFrame *mainFrame() const { return frame_; }
    CUpdateEventHandler *updateEvents() const { return events_.get(); }
    std::unique_ptr<ConfigurationSheet> makeSheet(CMainFrame *frame);
    void SetUpdateAlert(bool on);

    QString installDirectory;
    bool configOnlyMode = false;
    int osKind = 1;
    int registrationResult = -1;
    bool aboutBoxOpen = false;
    bool promptShowing = false;
    QString requestedProduct;
    PatchwellCommandLine commandLine;

    // The sheet the frame opens (a test may put its own in).
    static std::function<std::unique_ptr<ConfigurationSheet>(CPatchwellApp *, CMainFrame *)> &sheetFactory();

signals:
    // The program is to end: whoever runs the main loop ends it.
    void closing();

private:
    CMainFrame *frame_ = nullptr;
    CPatchwellCtrl *control_ = nullptr;
    std::unique_ptr<WindowClassRegistration> windowClass_;
    QPointer<QDialog> about_;
    std::unique_ptr<CUpdateEventHandler> events_;   // the engine's events: prompts, progress, alert
    bool classRegistered_ = false;
    bool closing_ = false;
    void *contextHelp_ = nullptr;   // the help library, loaded at start, freed at exit
};
