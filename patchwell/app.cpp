#include "app.h"

#include "aboutbox.h"
#include "controlregistration.h"
#include "langtext.h"
#include "mainframe.h"
#include "modules.h"
#include "patchwellctrl.h"
#include "propsheetmanager.h"
#include "pwdispatch.h"
#include "updateevents.h"
#include "windowclass.h"
#include "windowmessages.h"

#include "paths.h"

#include <QApplication>
#include <QDir>
#include <utility>

namespace {

const char *const kWindowClass = "MyNewClass";
using ContextHelpFunction = int (*)(const char *, int);

} // namespace

CPatchwellApp::CPatchwellApp() = default;

CPatchwellApp::~CPatchwellApp()
{
    events_.reset();
    delete about_.data();
    delete frame_;
}

std::function<std::unique_ptr<ConfigurationSheet>(CPatchwellApp *, CMainFrame *)> &CPatchwellApp::sheetFactory()
{
    static std::function<std::unique_ptr<ConfigurationSheet>(CPatchwellApp *, CMainFrame *)> f;
    return f;
}

std::unique_ptr<ConfigurationSheet> CPatchwellApp::makeSheet(CMainFrame *frame)
{
    if (sheetFactory())
        return sheetFactory()(this, frame);
    return std::make_unique<CPropSheetManager>(this, frame);
}

int CPatchwellApp::messageBox(const QString &text, int buttons, int icon)
{
    return ui().messageBox(nullptr, text, QStringLiteral("Patchwell"), buttons, icon);
}

bool CPatchwellApp::InitInstance(const QStringList &arguments)
{
    // 1. One copy per machine: a second start asks the first to open its sheet.
    if (FindWindowClass(QLatin1String(kWindowClass))) {
        SendMessageToClass(QLatin1String(kWindowClass), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
        return false;
    }
    // 2. The window class.
    windowClass_ = std::make_unique<WindowClassRegistration>();
    if (!windowClass_->registerClass(QLatin1String(kWindowClass))) {
        // Another copy registered it meanwhile: it gets the request instead.
        SendMessageToClass(QLatin1String(kWindowClass), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
        return false;
    }
    classRegistered_ = true;
    // 3, 4.
    if (installDirectory.isEmpty())
        installDirectory = QDir::cleanPath(tl::programDirectory());
    osKind = DetermineOsKind();
    // 5. The control's registration.
    const QString ocx = installDirectory + QStringLiteral("\\") + QLatin1String(pw::kEngineFileName);
    registrationResult = RegisterControl(ocx, "DllRegisterServer", true);
    const CLangText init(installDirectory, QStringLiteral("PW"), QStringLiteral("AppInitInstanceMsg"));
    if (registrationResult != RegOk) {
        messageBox(init.Get("FailedToRegisterOcx"), MB_OK, MB_ICONERROR);
        return false;
    }
    // 6. Nothing to initialise for the object model here ("OleInitFailed" never shows).
    // 7. The command line.
    commandLine = ParseCommandLine(arguments);
    requestedProduct = commandLine.requestedProduct;
    configOnlyMode = commandLine.configOnlyMode;
    // 8. Context help for the user's language.
    const QString help = pwlang::helpFile(installDirectory, QStringLiteral("PW"), pwlang::languageCode(installDirectory));
    HMODULE csh = LoadLibrary(QStringLiteral("CSH.dll"));
    contextHelp_ = csh;
    auto helpInit = csh ? reinterpret_cast<ContextHelpFunction>(GetProcAddress(csh, "ContextHelpInit")) : nullptr;
    if (!helpInit || helpInit(help.toLocal8Bit().constData(), 1) == 0)
        messageBox(init.Get("HelpFileNotFound"), MB_OK, MB_ICONERROR);
    // 9. The hidden frame, with its tray icon.
    frame_ = new CMainFrame(this);
    windowClass_->setWindow(frame_);
    if (!frame_->Create(!configOnlyMode)) {
        // Without a tray the sheet still opens for a caller that asked for it.
        if (!configOnlyMode)
            return false;
    }
    // 10. The control.
    control_ = new CPatchwellCtrl(frame_);
    control_->setObjectName(QStringLiteral("control_0x3000"));
    QString why;
    if (!control_->Create(QLatin1String(pw::kEngineClassId), &why)) {
        qWarning("patchwell: %s", qPrintable(why));
        messageBox(init.Get("FailedToCreateOcx"), MB_OK, MB_ICONERROR);
        return false;
    }
    events_ = std::make_unique<CUpdateEventHandler>(this);
    connect(control_, &CPatchwellCtrl::Event1, events_.get(), &CUpdateEventHandler::OnEvent);
    // 11.
    frame_->hide();
    if (configOnlyMode)
        PostMessage(frame_, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    return true;
}

void CPatchwellApp::Close()
{
    closing_ = true;
    if (about_)
        about_->close();
    // The program's main loop ends on this (main() runs it).
    emit closing();
}

void CPatchwellApp::Terminate()
{
    if (closing_)
        return;
    if (control_ && control_->GetUpdateRunning())
        control_->CancelUpdate();
    if (frame_) {
        frame_->OnExit();
        return;
    }
    closing_ = true;
    Close();
}

void CPatchwellApp::ExitInstance()
{
    if (events_)
        events_->DestroyDialogs();
    if (windowClass_)
        windowClass_->unregisterClass();
    // An exit from inside one of the handler's boxes: the engine object is
    // still on the stack below it, so it goes once the handler is done.
    CPatchwellCtrl *control = std::exchange(control_, nullptr);
    if (events_ && events_->busy())
        events_->DeleteWhenIdle(control);
    else
        delete control;
    if (contextHelp_)
        FreeLibrary(std::exchange(contextHelp_, nullptr));
    if (registrationResult == RegOk)
        RegisterControl(installDirectory + QStringLiteral("\\") + QLatin1String(pw::kEngineFileName),
                        "DllUnregisterServer", false);
}

QWidget *CPatchwellApp::aboutBox() const
{
    return about_ && about_->isVisible() ? about_.data() : nullptr;
}

void CPatchwellApp::OnAppAbout()
{
    if (closing_)
        return;
    if (QWidget *open = aboutBox()) {
        open->raise();
        open->activateWindow();
        return;
    }
    // Window-modal to nothing: the tray icon and the sheet stay usable, as
    // they do beside a modal box on the hidden main window.
    auto *dlg = new CAboutDlg(installDirectory);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setWindowModality(Qt::WindowModal);
    about_ = dlg;
    aboutBoxOpen = true;
    connect(dlg, &QDialog::finished, this, [this, dlg] {
        if (about_ == dlg || !about_)
            aboutBoxOpen = false;
    });
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}

void CPatchwellApp::SetUpdateAlert(bool on)
{
    // The tray tells the engine; without the engine (the program ending) neither changes.
    if (frame_ && control_)
        frame_->SetUpdateAlert(on);
}
