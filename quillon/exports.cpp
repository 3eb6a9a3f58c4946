// The exported functions: one configuration form per loaded library, created
// by the first _InitializeQuillon and destroyed by _DestroyQuillonDll.
#include "quillonexports.h"

#include "progressform.h"
#include "quillonform.h"

#include <QPointer>

#include <type_traits>

// The host resolves these by name with the shapes it shares with every product library.
static_assert(std::is_same_v<decltype(&_InitializeQuillon), InitializeQuillonFn>);
static_assert(std::is_same_v<decltype(&_ShowQuillonForm), ShowQuillonFormFn>);
static_assert(std::is_same_v<decltype(&_SetQuillonLanguage), SetLanguageFn>);
static_assert(std::is_same_v<decltype(&_SetQuillonTopLeftPoint), SetTopLeftPointFn>);
static_assert(std::is_same_v<decltype(&_DestroyQuillonDll), VoidFn>);
static_assert(std::is_same_v<decltype(&_GetISDNTAHelpID), IntFn>);
static_assert(std::is_same_v<decltype(&_EuropeanSwitchStatus), EuropeanSwitchStatusFn>);
static_assert(std::is_same_v<decltype(&_SetQuillonHelpIdOverride), SetHelpIdOverrideFn>);
static_assert(std::is_same_v<decltype(&_GetQuillonHelpIdOverride), IntFn>);
static_assert(std::is_same_v<decltype(&_QuillonComPort1TriggerAvail), TriggerAvailFn>);

namespace {
QPointer<TQuillonForm> g_form;

QString text(const char *s) { return s ? QString::fromLatin1(s) : QString(); }
} // namespace

extern "C" {

TModemProgressForm *_ModemProgressForm = nullptr;

void _InitializeQuillon(QWidget *parentWindow, TApdComPort *port, const char *serialNumber,
                        const char *productVariant, QObject *notifyWindow, uint32_t notifyMessage)
{
    if (!g_form) {
        g_form = new TQuillonForm(parentWindow);
        _ModemProgressForm = g_form->progressForm();
    }
    g_form->initialize(port, text(serialNumber), text(productVariant), notifyWindow, notifyMessage);
}

void _ShowQuillonForm(unsigned char show, unsigned char countrySupported, const char *mode,
                      const char *productType)
{
    if (g_form)
        g_form->showForm(show != 0, countrySupported != 0, text(mode), text(productType));
}

void _SetQuillonLanguage(int language, int locale)
{
    if (g_form)
        g_form->setLanguage(language, static_cast<unsigned>(locale));
}

void _SetQuillonTopLeftPoint(int32_t left, int32_t top)
{
    if (g_form)
        g_form->setTopLeft(left, top);
}

void _DestroyQuillonDll()
{
    // A write under way is stored (or the user told it was not) before the form goes.
    if (g_form)
        g_form->finishWriteBeforeLeaving();
    delete g_form.data();
    g_form = nullptr;
    _ModemProgressForm = nullptr;
}

int32_t _GetISDNTAHelpID()
{
    return g_form ? g_form->helpId() : 0;
}

unsigned char _EuropeanSwitchStatus()
{
    return g_form ? static_cast<unsigned char>(g_form->europeanSwitchStatus()) : 255;
}

void _SetQuillonHelpIdOverride(int32_t helpContext)
{
    if (g_form)
        g_form->helpOverride = helpContext;
}

int32_t _GetQuillonHelpIdOverride()
{
    return g_form ? g_form->helpOverride : 0;
}

void _QuillonComPort1TriggerAvail(QObject *, uint16_t count)
{
    if (g_form)
        g_form->comPortTriggerAvail(count);
}

} // extern "C"
