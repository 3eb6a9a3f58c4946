// Wicket's exports ("Wicket.dll"): the protocol decoder screen.
#include "companionexport.h"
#include "wicketform.h"

#include <QPointer>

namespace {
QPointer<TWicketForm> g_form;
}

COMPANION_EXPORT void _InitializeDecoder(QWidget *host, TApdComPort *port)
{
    if (!g_form)
        g_form = new TWicketForm(host);
    else
        g_form->setHost(host);
    g_form->initialize(port);
}

COMPANION_EXPORT void _SetDecoderTopLeftPoint(int left, int top)
{
    if (g_form)
        g_form->setTopLeft(left, top);
}

COMPANION_EXPORT void _ShowDecoderForm(int show, const char *modemSelected)
{
    if (g_form)
        g_form->showForm(show != 0, modemSelected ? QString::fromLatin1(modemSelected) : QString());
}

COMPANION_EXPORT void _DestroyDecoderDll()
{
    delete g_form.data();
    g_form = nullptr;
}

COMPANION_EXPORT void _SetPPPLanguage(int language, int locale)
{
    if (g_form)
        g_form->setLanguage(language, locale);
}

COMPANION_CHECK_EXPORT(_InitializeDecoder, InitializeDecoderFn);
COMPANION_CHECK_EXPORT(_SetDecoderTopLeftPoint, SetTopLeftPointFn);
COMPANION_CHECK_EXPORT(_ShowDecoderForm, ShowDecoderFormFn);
COMPANION_CHECK_EXPORT(_DestroyDecoderDll, VoidFn);
COMPANION_CHECK_EXPORT(_SetPPPLanguage, SetLanguageFn);
