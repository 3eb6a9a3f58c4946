// Tool buttons that start programs instead of library screens: Patchwell,
// which takes the device's port while it runs, and the User's Manual and
// Support programs from the product CD.

#include "clock.h"
#include "comports.h"
#include "containerframe.h"
#include "dialogs.h"
#include "paths.h"
#include "registry.h"
#include "serialport.h"
#include "tapidevice.h"
#include "uiservices.h"
#include "widgets.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

const char *const kManualKey = "Software\\Varnel\\Tallyline\\Portdeck\\Manual";
const char *const kNoPatchwell = "The Patchwell has not been installed on your system.\n\nPlease run the SETUP "
                                 "program for Patchwells.";
const char *const kNoPatchwellProcess = "Could not create process for patchwell";
// A port that does not come back after Patchwell is looked for this long, then given up.
constexpr int kPortWaitTicks = 545;

} // namespace

QString TcontainerFrame::patchwellProgramPath(const QString &installDirectory)
{
    // Each separator written twice, as the path has always been built; the
    // file system reads the doubled separators as single ones.
    QString path = installDirectory;
    path.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return path + QStringLiteral("\\Patchwell.exe");
}

bool TcontainerFrame::isForegroundWindow() const
{
    return isActiveWindow() && !isMinimized();
}

void TcontainerFrame::updatebtnClick()
{
    resetQuillonHelpOverride();
    if (UpdateInProgress())
        return;
    currentActivity = QStringLiteral("Patchwell");
    if (QDir::currentPath() != startDirectory)
        QDir::setCurrent(startDirectory);
    const bool is56k = modemSelected == QLatin1String("56KModem");
    helpFile = is56k ? QStringLiteral("analog.hlp") : QStringLiteral("isdnta.hlp");
    helpContext = is56k ? 44 : 130;
    updatebtn->paintAvailable(false);   // "BMP_GUPDATE"
    if (!hideTool())
        return;
    control = QStringLiteral("None");
    EnterToolMode();
    runPatchwell();
    if (!appTerminated)
        EnableTools();
}

void TcontainerFrame::runPatchwell()
{
    if (!reg::keyExists(RegRoot::LocalMachine, QLatin1String(kPatchwellRegistrationKey))) {
        messageBox(tr_(kNoPatchwell));
        return;
    }
    const QString program = patchwellProgramPath(
        reg::readString(RegRoot::LocalMachine, QLatin1String(kPatchwellRegistrationKey), QStringLiteral("InstallDirectory"))
            .value_or(QString()));
    const QStringList arguments = QProcess::splitCommand(QStringLiteral("-C  ") + selectedDeviceName);

    closeLink();
    DelayTicks(20);
    if (appTerminated)
        return;
    log("start of ShellExecuteEx\n");
    ProcessHandle process = ShellExecute(program, arguments);
    if (!process) {
        messageBox(tr_(kNoPatchwellProcess));
        return;
    }
    showMinimized();
    if (WaitForProcess(process, 1000, false)) {
        // A copy that handed over to one already running and quit: start again.
        log("immediate WaitForSingleObject break out after execute so re-execute it\n");
        closeProcess(process);
        process = ShellExecute(program, arguments);
        if (!process) {
            showNormal();
            messageBox(tr_(kNoPatchwellProcess));
            return;
        }
    }
    log("end of ShellExecuteEx\n");
    bRestoreClicked = false;
    waitForPatchwell(process);
    closeProcess(process);
    if (!appTerminated)
        takePortBackAfterPatchwell();
}

void TcontainerFrame::waitForPatchwell(ProcessHandle process)
{
    if (NonModalMsgBox) {
        NonModalMsgBox->move(0, 0);
        NonModalMsgBox->show();
        NonModalMsgBox->raise();
    }
    log("start of wait loop\n");
    bPatchwellWaitRunning = true;
    QPointer<TcontainerFrame> self(this);
    for (;;) {
        // Events are handled all along, not once per look: a screen reader or
        // a click must not wait half a second for every answer.
        const bool ended = WaitForProcess(process, 500, true);
        if (!self)
            return;
        if (ended) {
            log("WaitForSingleObject break out\n");
            break;
        }
        if (appTerminated)
            break;
        if (isForegroundWindow()) {
            log("PD is ForegroundWindow\n");
            break;
        }
        if (NonModalMsgBox)
            NonModalMsgBox->raise();
        if (bRestoreClicked) {
            log("User clicked restore PD\n");
            break;
        }
    }
    bPatchwellWaitRunning = false;
    log("end of wait loop\n");
    if (NonModalMsgBox)
        NonModalMsgBox->close();
    showNormal();
}

void TcontainerFrame::takePortBackAfterPatchwell()
{
    // In TAPI mode the line names its own port.
    const int comNumber = bTapiMode ? ApdTapiDevice1->comNumber() : currentDevice.nComnPort;
    // Only the direct scan fills the device record; a TAPI line's product is the one selected.
    const int kind = !bTapiMode                                  ? currentDevice.nModemType
                     : modemSelected == QLatin1String("56KModem") ? 0
                     : modemSelected == QLatin1String("ISDNTA")   ? 1
                                                                  : 2;
    const char *lost = kind == 0   ? "Cannot Communicate With Corvane"
                       : kind == 1 ? "Cannot Communicate With Quillon"
                                   : nullptr;
    QPointer<TcontainerFrame> self(this);
    auto stillHere = [&] { return self && !appTerminated; };
    // The user is told once that the device is missing; then the port is
    // looked for once a second, the events handled all the while, until it
    // can be opened or the time is up.
    bool told = false;
    auto tellOnce = [&] {
        if (!told && lost)
            messageBox(tr_(lost));
        told = true;
    };
    const int lookTicks = 18;
    bool opened = false;
    for (int waited = 0; !opened; waited += lookTicks) {
        if (waited > kPortWaitTicks) {
            log("port did not come back after patchwell\n");
            bPortWait = false;
            return;
        }
        bPortWait = false;
        if (IsPortAvailable(comNumber)) {
            try {
                ApdComPort1->setComNumber(comNumber);
                ApdComPort1->open();
            } catch (const EApdPortError &) {
            }
            opened = ApdComPort1->isOpen();
            if (!opened) {
                log("catch...\n");
                log("in while try open loop\n");
            }
        } else {
            log("in while(!IsPortAvailable) loop\n");
        }
        if (opened)
            break;
        bPortWait = true;   // Exit meanwhile ends the program at once
        tellOnce();
        if (!stillHere())
            return;
        DelayTicks(lookTicks);
        if (!stillHere())
            return;
    }
    bPortWait = false;
    DelayTicks(10);
    if (!stillHere())
        return;
    ApdComPort1->close();
    DelayTicks(36);
    if (!stillHere())
        return;
    if (bTapiMode) {
        ApdTapiDevice1->setSelectedDevice(selectedDeviceName);
        log("updatebtnClick start ConfigAndOpen()\n");
        try {
            ApdTapiDevice1->configAndOpen();
        } catch (const EApdPortError &) {
            // The line's own failure handling reports it.
        }
    } else {
        OpenComPort_NonTAPI();
    }
}

void TcontainerFrame::OnlineManualBtnClick()
{
    launchCdProgram(manualProgram, "General", "OnLineManualFileLocation[%s]\n", true);
}

void TcontainerFrame::supportBtnClick()
{
    launchCdProgram(supportProgram, "Support", "CustSupportFileLocation[%s]\n", false);
}

void TcontainerFrame::launchCdProgram(CdProgram &program, const char *valueName, const char *locationLog,
                                      bool isManual)
{
    QWidget *const foreground = QApplication::activeWindow();
    if (program.running) {
        // Another program's window cannot be raised from here; one still running counts as brought forward.
        if (program.process && program.process->state() != QProcess::NotRunning)
            return;
        program.running = false;
    }
    if (program.path.isEmpty()) {
        reg::createKey(RegRoot::LocalMachine, QLatin1String(kManualKey));
        program.path = reg::readString(RegRoot::LocalMachine, QLatin1String(kManualKey), QLatin1String(valueName))
                           .value_or(QString());
    }

    bool confirmed = false;
    QPointer<TcontainerFrame> self(this);
    while (!program.path.isEmpty()) {
        if (QFile(tl::mapPath(program.path)).open(QIODevice::ReadOnly)) {
            confirmed = true;
            break;
        }
        const int answer = PromptMsgForm ? PromptMsgForm->ask(tr_("Please insert the Kitbox CD that came with your modem."))
                                         : -1;
        if (!self)
            return;
        if (answer == 3)
            break;   // Browse
        if (answer != 1)
            return;  // Cancel, or the box closed
    }
    if (!confirmed) {
        program.path = ui().openFileName(this, QString(), startDirectory,
                                         tr_("Online Manual files (*.exe)") + QStringLiteral(";;")
                                             + tr_("All files (*.*)"));
        confirmed = !program.path.isEmpty();
    }
    log(locationLog, program.path);
    if (!confirmed)
        return;

    log("start of ShellExecuteEx\n");
    ProcessHandle process = ShellExecute(program.path);
    if (!process)
        return;
    // The started program takes the foreground when it shows its window; not every desktop says so.
    tl::waitUntil([&] { return !self || QApplication::activeWindow() != foreground; },
                  tl::ticksToUnscaledMs(18), true);
    if (!self)
        return;
    if (program.process)
        closeProcess(program.process);
    program.process = process;
    if (isManual)
        log("OnlineManualProcessHandle = %d\n", int(process->processId()));
    program.running = true;
    for (;;) {
        if (WaitForProcess(process, 500, true)) {
            program.running = false;
            break;
        }
        if (!self)
            return;
        if (isForegroundWindow()) {
            log("PD is ForegroundWindow\n");
            break;
        }
    }
}
