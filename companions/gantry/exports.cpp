// Gantry's exports ("Gantry.dll"): the terminal.
#include "companionexport.h"
#include "gantryform.h"

#include <QPointer>

namespace {
QPointer<TGantryForm> g_form;
}

COMPANION_EXPORT void _InitializeTerminal(QWidget *host, TApdComPort *port, TApdTapiDevice *tapi,
                                          TApdProtocol *protocol)
{
    if (!g_form)
        g_form = new TGantryForm(host);
    else
        g_form->setHost(host);
    g_form->initialize(port, tapi, protocol);
}

COMPANION_EXPORT void _SetTerminalTopLeftPoint(int left, int top)
{
    if (g_form)
        g_form->setTopLeft(left, top);
}

COMPANION_EXPORT void _ShowTerminal(int show, const char *kind)
{
    if (g_form)
        g_form->showForm(show != 0, kind ? QString::fromLatin1(kind) : QString());
}

COMPANION_EXPORT void _DestroyDll()
{
    delete g_form.data();
    g_form = nullptr;
}

COMPANION_EXPORT void _SetTermLanguage(int language, int locale)
{
    if (g_form)
        g_form->setLanguage(language, locale);
}

COMPANION_EXPORT void _TerminalProtocol1ProtocolError(QObject *, int code)
{
    if (g_form)
        g_form->protocolError(code);
}

COMPANION_EXPORT void _TerminalProtocol1ProtocolFinish(QObject *, int code)
{
    if (g_form)
        g_form->protocolFinish(code);
}

COMPANION_CHECK_EXPORT(_InitializeTerminal, InitializeTerminalFn);
COMPANION_CHECK_EXPORT(_SetTerminalTopLeftPoint, SetTopLeftPointFn);
COMPANION_CHECK_EXPORT(_ShowTerminal, ShowTerminalFn);
COMPANION_CHECK_EXPORT(_DestroyDll, VoidFn);
COMPANION_CHECK_EXPORT(_SetTermLanguage, SetLanguageFn);
COMPANION_CHECK_EXPORT(_TerminalProtocol1ProtocolError, ProtocolEventFn);
COMPANION_CHECK_EXPORT(_TerminalProtocol1ProtocolFinish, ProtocolEventFn);
