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
    void Close();                     // WM_CLOSE to the main window: the program ends

    // 0 Windows 95/98, 1 Windows NT, 2 other, 3 unknown: this platform counts as NT.
    static int DetermineOsKind() { return 1; }

    int messageBox(const QString &text, int buttons, int icon);
    void OnAppAbout();
    QWidget *aboutBox() const;
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
    void closing();

private:
    CMainFrame *frame_ = nullptr;
    CPatchwellCtrl *control_ = nullptr;
    std::unique_ptr<WindowClassRegistration> windowClass_;
    QPointer<QDialog> about_;
    std::unique_ptr<CUpdateEventHandler> events_;   // the engine's events: prompts, progress, alert
    bool classRegistered_ = false;
};
