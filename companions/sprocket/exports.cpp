// Sprocket's exports ("Sprocket.dll"): the firmware updater.
#include "companionexport.h"
#include "sprocketform.h"

#include <QPointer>

#include <cstring>

namespace {
QPointer<TSprocketForm> g_form;
}

COMPANION_EXPORT void _InitializeModemUpdater(QWidget *host, TApdComPort *port, TApdProtocol *protocol,
                                              const char *deviceName)
{
    if (!g_form)
        g_form = new TSprocketForm(host);
    else
        g_form->setHost(host);
    g_form->initialize(port, protocol, deviceName ? QString::fromLatin1(deviceName) : QString());
}

COMPANION_EXPORT void _SetModemUpdaterTopLeftPoint(int left, int top)
{
    if (g_form)
        g_form->setTopLeft(left, top);
}

COMPANION_EXPORT void _ShowModemUpdater(int show)
{
    if (g_form)
        g_form->showForm(show != 0);
}

COMPANION_EXPORT void _DestroyDll()
{
    delete g_form.data();
    g_form = nullptr;
}

COMPANION_EXPORT void _USBResetReceived()
{
    if (g_form)
        g_form->usbResetReceived();
}

COMPANION_EXPORT int _UpdateIsInProgress() { return g_form && g_form->updateInProgress() ? 1 : 0; }

COMPANION_EXPORT void _SetFlashLanguage(int language, int locale)
{
    if (g_form)
        g_form->setLanguage(language, locale);
}

COMPANION_EXPORT void _ModemUpdaterProtocol1ProtocolStatus(QObject *, int options)
{
    if (g_form)
        g_form->protocolStatus(options);
}

COMPANION_EXPORT void _ModemUpdaterProtocol1ProtocolError(QObject *, int code)
{
    if (g_form)
        g_form->protocolError(code);
}

COMPANION_EXPORT void _ModemUpdaterProtocol1ProtocolFinish(QObject *, int code)
{
    if (g_form)
        g_form->protocolFinish(code);
}

COMPANION_EXPORT void _ModemUpdaterComPort1TriggerAvail(QObject *, unsigned short)
{
    if (g_form)
        g_form->portDataAvailable();
}

COMPANION_EXPORT void _ModemUpdaterComPort1TriggerData(QObject *, int handle)
{
    if (g_form)
        g_form->portTriggerData(handle);
}

COMPANION_EXPORT void _LastComportCmd(char *buffer)
{
    if (!buffer)
        return;
    const QByteArray command = g_form ? g_form->lastCommand() : QByteArray();
    const size_t n = std::min<size_t>(size_t(command.size()), productlibs::kLastCommandBufferSize - 1);
    std::memcpy(buffer, command.constData(), n);
    buffer[n] = '\0';
}

COMPANION_CHECK_EXPORT(_InitializeModemUpdater, InitializeModemUpdaterFn);
COMPANION_CHECK_EXPORT(_SetModemUpdaterTopLeftPoint, SetTopLeftPointFn);
COMPANION_CHECK_EXPORT(_ShowModemUpdater, ShowFlagFn);
COMPANION_CHECK_EXPORT(_DestroyDll, VoidFn);
COMPANION_CHECK_EXPORT(_USBResetReceived, VoidFn);
COMPANION_CHECK_EXPORT(_UpdateIsInProgress, IntFn);
COMPANION_CHECK_EXPORT(_SetFlashLanguage, SetLanguageFn);
COMPANION_CHECK_EXPORT(_ModemUpdaterProtocol1ProtocolStatus, ProtocolEventFn);
COMPANION_CHECK_EXPORT(_ModemUpdaterProtocol1ProtocolError, ProtocolEventFn);
COMPANION_CHECK_EXPORT(_ModemUpdaterProtocol1ProtocolFinish, ProtocolEventFn);
COMPANION_CHECK_EXPORT(_ModemUpdaterComPort1TriggerAvail, TriggerAvailFn);
COMPANION_CHECK_EXPORT(_ModemUpdaterComPort1TriggerData, TriggerDataFn);
COMPANION_CHECK_EXPORT(_LastComportCmd, LastComportCmdFn);
