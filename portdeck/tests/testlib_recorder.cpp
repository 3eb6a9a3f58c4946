// Stands in for all six product libraries at once and writes down every call
// Portdeck makes, with its arguments, in order. Pointers are written as %p, so
// that a test can name the objects it expects.
#include "productlibs.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

std::string g_calls;
unsigned char g_europeanStatus = 255;

void note(const char *format, ...) __attribute__((format(printf, 1, 2)));
void note(const char *format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_calls += line;
    g_calls += '\n';
}

const char *text(const char *s) { return s ? s : "(null)"; }

} // namespace

#define RECORDER_EXPORT extern "C" __attribute__((visibility("default")))

// What the test reads and sets.
RECORDER_EXPORT const char *recorderCalls() { return g_calls.c_str(); }
RECORDER_EXPORT void recorderClear() { g_calls.clear(); }
RECORDER_EXPORT void recorderSetEuropeanStatus(unsigned char status) { g_europeanStatus = status; }

// Shared by several libraries.
RECORDER_EXPORT void _DestroyDll() { note("_DestroyDll"); }
RECORDER_EXPORT void _USBResetReceived() { note("_USBResetReceived"); }

// Configuration library.
RECORDER_EXPORT void _InitializeConfigForm(QWidget *host, TApdComPort *port, const char *device, QObject *owner,
                                           quint32 finished, quint32 refresh)
{
    note("_InitializeConfigForm(%p,%p,%s,%p,%u,%u)", static_cast<void *>(host), static_cast<void *>(port),
         text(device), static_cast<void *>(owner), finished, refresh);
}
RECORDER_EXPORT void _SetFormTopLeftPoint(int x, int y) { note("_SetFormTopLeftPoint(%d,%d)", x, y); }
RECORDER_EXPORT void _ShowConfigForm(int show, int country, int first, const char *type)
{
    note("_ShowConfigForm(%d,%d,%d,%s)", show, country, first, text(type));
}
RECORDER_EXPORT int _GetConfigHelpID() { return 0; }
RECORDER_EXPORT void _SetConfigLanguage(int language, int locale)
{
    note("_SetConfigLanguage(%x,%x)", language, locale);
}
RECORDER_EXPORT void _CorvaneComPort1TriggerAvail(QObject *sender, unsigned short count)
{
    note("_CorvaneComPort1TriggerAvail(%p,%u)", static_cast<void *>(sender), count);
}
RECORDER_EXPORT void _SetComPtrsConfigForm(TApdComPort *port, const char *device)
{
    note("_SetComPtrsConfigForm(%p,%s)", static_cast<void *>(port), text(device));
}
RECORDER_EXPORT void _SetWaitForComPortRefresh(int waiting) { note("_SetWaitForComPortRefresh(%d)", waiting); }
RECORDER_EXPORT void _SetUSBFlag(int usb) { note("_SetUSBFlag(%d)", usb); }

// ISDN TA library.
RECORDER_EXPORT void _InitializeQuillon(QWidget *host, TApdComPort *port, const char *serial, const char *variant,
                                        QObject *owner, quint32 message)
{
    note("_InitializeQuillon(%p,%p,%s,%s,%p,%u)", static_cast<void *>(host), static_cast<void *>(port), text(serial),
         text(variant), static_cast<void *>(owner), message);
}
RECORDER_EXPORT void _SetQuillonTopLeftPoint(int x, int y) { note("_SetQuillonTopLeftPoint(%d,%d)", x, y); }
RECORDER_EXPORT void _ShowQuillonForm(unsigned char show, unsigned char country, const char *mode, const char *type)
{
    note("_ShowQuillonForm(%d,%d,%s,%s)", show, country, text(mode), text(type));
}
RECORDER_EXPORT void _DestroyQuillonDll() { note("_DestroyQuillonDll"); }
RECORDER_EXPORT int _GetISDNTAHelpID() { return 0; }
RECORDER_EXPORT void _SetQuillonLanguage(int language, int locale)
{
    note("_SetQuillonLanguage(%x,%x)", language, locale);
}
RECORDER_EXPORT unsigned char _EuropeanSwitchStatus()
{
    note("_EuropeanSwitchStatus");
    return g_europeanStatus;
}
RECORDER_EXPORT void _SetQuillonHelpIdOverride(int help) { note("_SetQuillonHelpIdOverride(%d)", help); }
RECORDER_EXPORT int _GetQuillonHelpIdOverride() { return 0; }
RECORDER_EXPORT void _QuillonComPort1TriggerAvail(QObject *sender, unsigned short count)
{
    note("_QuillonComPort1TriggerAvail(%p,%u)", static_cast<void *>(sender), count);
}

// Terminal library.
RECORDER_EXPORT void _InitializeTerminal(QWidget *host, TApdComPort *port, TApdTapiDevice *tapi,
                                         TApdProtocol *protocol)
{
    note("_InitializeTerminal(%p,%p,%p,%p)", static_cast<void *>(host), static_cast<void *>(port),
         static_cast<void *>(tapi), static_cast<void *>(protocol));
}
RECORDER_EXPORT void _SetTerminalTopLeftPoint(int x, int y) { note("_SetTerminalTopLeftPoint(%d,%d)", x, y); }
RECORDER_EXPORT void _ShowTerminal(int show, const char *kind) { note("_ShowTerminal(%d,%s)", show, text(kind)); }
RECORDER_EXPORT void _SetTermLanguage(int language, int locale) { note("_SetTermLanguage(%x,%x)", language, locale); }
RECORDER_EXPORT void _TerminalProtocol1ProtocolError(QObject *sender, int code)
{
    note("_TerminalProtocol1ProtocolError(%p,%d)", static_cast<void *>(sender), code);
}
RECORDER_EXPORT void _TerminalProtocol1ProtocolFinish(QObject *sender, int code)
{
    note("_TerminalProtocol1ProtocolFinish(%p,%d)", static_cast<void *>(sender), code);
}

// Firmware updater.
RECORDER_EXPORT void _InitializeModemUpdater(QWidget *host, TApdComPort *port, TApdProtocol *protocol,
                                             const char *device)
{
    note("_InitializeModemUpdater(%p,%p,%p,%s)", static_cast<void *>(host), static_cast<void *>(port),
         static_cast<void *>(protocol), text(device));
}
RECORDER_EXPORT void _SetModemUpdaterTopLeftPoint(int x, int y)
{
    note("_SetModemUpdaterTopLeftPoint(%d,%d)", x, y);
}
RECORDER_EXPORT void _ShowModemUpdater(int show) { note("_ShowModemUpdater(%d)", show); }
RECORDER_EXPORT int _UpdateIsInProgress() { return 0; }
RECORDER_EXPORT void _SetFlashLanguage(int language, int locale)
{
    note("_SetFlashLanguage(%x,%x)", language, locale);
}
RECORDER_EXPORT void _ModemUpdaterProtocol1ProtocolStatus(QObject *sender, int options)
{
    note("_ModemUpdaterProtocol1ProtocolStatus(%p,%d)", static_cast<void *>(sender), options);
}
RECORDER_EXPORT void _ModemUpdaterProtocol1ProtocolError(QObject *sender, int code)
{
    note("_ModemUpdaterProtocol1ProtocolError(%p,%d)", static_cast<void *>(sender), code);
}
RECORDER_EXPORT void _ModemUpdaterProtocol1ProtocolFinish(QObject *sender, int code)
{
    note("_ModemUpdaterProtocol1ProtocolFinish(%p,%d)", static_cast<void *>(sender), code);
}
RECORDER_EXPORT void _ModemUpdaterComPort1TriggerAvail(QObject *sender, unsigned short count)
{
    note("_ModemUpdaterComPort1TriggerAvail(%p,%u)", static_cast<void *>(sender), count);
}
RECORDER_EXPORT void _ModemUpdaterComPort1TriggerData(QObject *sender, int handle)
{
    note("_ModemUpdaterComPort1TriggerData(%p,%d)", static_cast<void *>(sender), handle);
}
RECORDER_EXPORT void _LastComportCmd(char *buffer)
{
    note("_LastComportCmd");
    if (buffer)
        std::snprintf(buffer, productlibs::kLastCommandBufferSize, "at~x!");
}

// Decoder library.
RECORDER_EXPORT void _InitializeDecoder(QWidget *host, TApdComPort *port)
{
    note("_InitializeDecoder(%p,%p)", static_cast<void *>(host), static_cast<void *>(port));
}
RECORDER_EXPORT void _SetDecoderTopLeftPoint(int x, int y) { note("_SetDecoderTopLeftPoint(%d,%d)", x, y); }
RECORDER_EXPORT void _ShowDecoderForm(int show, const char *product)
{
    note("_ShowDecoderForm(%d,%s)", show, text(product));
}
RECORDER_EXPORT void _DestroyDecoderDll() { note("_DestroyDecoderDll"); }
RECORDER_EXPORT void _SetPPPLanguage(int language, int locale) { note("_SetPPPLanguage(%x,%x)", language, locale); }

// IDSL library.
RECORDER_EXPORT void _InitializeIDSLForm(QWidget *host, TApdComPort *port, QObject *owner, quint32 message)
{
    note("_InitializeIDSLForm(%p,%p,%p,%u)", static_cast<void *>(host), static_cast<void *>(port),
         static_cast<void *>(owner), message);
}
RECORDER_EXPORT void _SetIDSLFormTopLeftPoint(int x, int y) { note("_SetIDSLFormTopLeftPoint(%d,%d)", x, y); }
RECORDER_EXPORT void _ShowIDSLForm(int show) { note("_ShowIDSLForm(%d)", show); }
RECORDER_EXPORT void _DestroyIDSLFormDll() { note("_DestroyIDSLFormDll"); }
RECORDER_EXPORT void _SetIDSLFormLanguage(int language, int locale)
{
    note("_SetIDSLFormLanguage(%x,%x)", language, locale);
}
