// Mantlet's exports ("Mantlet.dll"): one form, made on the first
// initialisation, reused after, destroyed by _DestroyDll.
#include "companionexport.h"
#include "mantletform.h"

#include <QPointer>

namespace {
QPointer<TMantletForm> g_form;
QString textOf(const char *s) { return s ? QString::fromLatin1(s) : QString(); }
} // namespace

COMPANION_EXPORT void _InitializeConfigForm(QWidget *host, TApdComPort *port, const char *deviceName,
                                            QObject *owner, quint32 formFinishedMsg, quint32 refreshComPortMsg)
{
    if (!g_form)
        g_form = new TMantletForm(host);
    else
        g_form->setHost(host);
    g_form->initialize(port, textOf(deviceName), owner, formFinishedMsg, refreshComPortMsg);
}

COMPANION_EXPORT void _SetFormTopLeftPoint(int left, int top)
{
    if (g_form)
        g_form->setTopLeft(left, top);
}

COMPANION_EXPORT void _ShowConfigForm(int show, int countryChangeable, int firstTimeInstall, const char *productType)
{
    if (g_form)
        g_form->showForm(show != 0, countryChangeable != 0, firstTimeInstall != 0, textOf(productType));
}

COMPANION_EXPORT void _DestroyDll()
{
    delete g_form.data();
    g_form = nullptr;
}

COMPANION_EXPORT int _GetConfigHelpID() { return g_form ? g_form->helpId() : 0; }

COMPANION_EXPORT void _SetConfigLanguage(int language, int locale)
{
    if (g_form)
        g_form->setLanguage(language, locale);
}

COMPANION_EXPORT void _CorvaneComPort1TriggerAvail(QObject *, unsigned short)
{
    if (g_form)
        g_form->portDataAvailable();
}

COMPANION_EXPORT void _USBResetReceived()
{
    if (g_form)
        g_form->usbResetReceived();
}

COMPANION_EXPORT void _SetComPtrsConfigForm(TApdComPort *port, const char *deviceName)
{
    if (g_form)
        g_form->setComPtrs(port, textOf(deviceName));
}

COMPANION_EXPORT void _SetWaitForComPortRefresh(int waiting)
{
    if (g_form)
        g_form->setWaitForComPortRefresh(waiting != 0);
}

COMPANION_EXPORT void _SetUSBFlag(int usb)
{
    if (g_form)
        g_form->setUsbFlag(usb != 0);
}

COMPANION_CHECK_EXPORT(_InitializeConfigForm, InitializeConfigFormFn);
COMPANION_CHECK_EXPORT(_SetFormTopLeftPoint, SetTopLeftPointFn);
COMPANION_CHECK_EXPORT(_ShowConfigForm, ShowConfigFormFn);
COMPANION_CHECK_EXPORT(_DestroyDll, VoidFn);
COMPANION_CHECK_EXPORT(_GetConfigHelpID, IntFn);
COMPANION_CHECK_EXPORT(_SetConfigLanguage, SetLanguageFn);
COMPANION_CHECK_EXPORT(_CorvaneComPort1TriggerAvail, TriggerAvailFn);
COMPANION_CHECK_EXPORT(_USBResetReceived, VoidFn);
COMPANION_CHECK_EXPORT(_SetComPtrsConfigForm, SetComPtrsConfigFormFn);
COMPANION_CHECK_EXPORT(_SetWaitForComPortRefresh, SetWaitForComPortRefreshFn);
COMPANION_CHECK_EXPORT(_SetUSBFlag, SetUSBFlagFn);
