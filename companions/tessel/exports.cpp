// Tessel's exports ("Tessel.dll"): the IDSL modem's configuration.
#include "companionexport.h"
#include "tesselform.h"

#include <QPointer>

namespace {
QPointer<TTesselForm> g_form;
}

COMPANION_EXPORT void _InitializeIDSLForm(QWidget *host, TApdComPort *port, QObject *owner, quint32 formFinishedMsg)
{
    if (!g_form)
        g_form = new TTesselForm(host);
    else
        g_form->setHost(host);
    g_form->initialize(port, owner, formFinishedMsg);
}

COMPANION_EXPORT void _SetIDSLFormTopLeftPoint(int left, int top)
{
    if (g_form)
        g_form->setTopLeft(left, top);
}

COMPANION_EXPORT void _ShowIDSLForm(int show)
{
    if (g_form)
        g_form->showForm(show != 0);
}

COMPANION_EXPORT void _DestroyIDSLFormDll()
{
    delete g_form.data();
    g_form = nullptr;
}

COMPANION_EXPORT void _SetIDSLFormLanguage(int language, int locale)
{
    if (g_form)
        g_form->setLanguage(language, locale);
}

COMPANION_CHECK_EXPORT(_InitializeIDSLForm, InitializeIDSLFormFn);
COMPANION_CHECK_EXPORT(_SetIDSLFormTopLeftPoint, SetTopLeftPointFn);
COMPANION_CHECK_EXPORT(_ShowIDSLForm, ShowFlagFn);
COMPANION_CHECK_EXPORT(_DestroyIDSLFormDll, VoidFn);
COMPANION_CHECK_EXPORT(_SetIDSLFormLanguage, SetLanguageFn);
