#pragma once
// The calling interface between Portdeck and its product libraries: the
// signature of every export, shared by the host that resolves them by name and
// the libraries that define them (extern "C", exact names).
//
// Window handles are the widgets themselves: the host window a library form is
// placed in (QWidget*) and the window that receives the library's messages
// (QObject*, through PostMessage/SendMessage). Texts are zero-terminated 8-bit
// strings that the library copies; flags are 0/1.

#include <QtGlobal>

class QObject;
class QWidget;
class TApdComPort;
class TApdTapiDevice;
class TApdProtocol;

namespace productlibs {

// Messages a library posts to the host window.
constexpr quint32 kFormFinishedMessage = 0x8000 + 0x190;   // 33168, LParam 0 = leave the screen
constexpr quint32 kRefreshComPortMessage = 0x8000 + 0x191; // 33169, the USB modem is about to reset

// Size of the buffer _LastComportCmd fills (text and terminator).
constexpr int kLastCommandBufferSize = 80;

} // namespace productlibs

extern "C" {

// Common shapes.
typedef void (*SetTopLeftPointFn)(int left, int top);
typedef void (*SetLanguageFn)(int language, int locale);
typedef void (*VoidFn)();
typedef int (*IntFn)();
typedef void (*TriggerAvailFn)(QObject *sender, unsigned short count);
typedef void (*TriggerDataFn)(QObject *sender, int triggerHandle);
typedef void (*ProtocolEventFn)(QObject *sender, int value);

// Configuration library of the 56K business modem ("Mantlet.dll").
typedef void (*InitializeConfigFormFn)(QWidget *host, TApdComPort *port, const char *deviceName,
                                       QObject *owner, quint32 formFinishedMsg,
                                       quint32 refreshComPortMsg);
typedef void (*ShowConfigFormFn)(int show, int countryChangeable, int firstTimeInstall,
                                 const char *productType);
typedef void (*SetComPtrsConfigFormFn)(TApdComPort *port, const char *deviceName);
typedef void (*SetWaitForComPortRefreshFn)(int waiting);
typedef void (*SetUSBFlagFn)(int usb);

// ISDN TA library ("quillon.dll").
typedef void (*InitializeQuillonFn)(QWidget *parent, TApdComPort *port, const char *serialNumber,
                                    const char *productVariant, QObject *notifyWindow,
                                    quint32 notifyMessage);
typedef void (*ShowQuillonFormFn)(unsigned char show, unsigned char countrySupported,
                                  const char *mode, const char *productType);
typedef unsigned char (*EuropeanSwitchStatusFn)();
typedef void (*SetHelpIdOverrideFn)(int helpContext);

// Terminal library ("Gantry.dll").
typedef void (*InitializeTerminalFn)(QWidget *host, TApdComPort *port, TApdTapiDevice *tapi,
                                     TApdProtocol *protocol);
typedef void (*ShowTerminalFn)(int show, const char *kind);   // "quillon" or "corvane"

// Firmware updater ("Sprocket.dll").
typedef void (*InitializeModemUpdaterFn)(QWidget *host, TApdComPort *port, TApdProtocol *protocol,
                                         const char *deviceName);
typedef void (*ShowFlagFn)(int show);
typedef void (*LastComportCmdFn)(char *buffer);   // kLastCommandBufferSize bytes

// Decoder library ("Wicket.dll").
typedef void (*InitializeDecoderFn)(QWidget *host, TApdComPort *port);
typedef void (*ShowDecoderFormFn)(int show, const char *modemSelected);

// IDSL library ("Tessel.dll").
typedef void (*InitializeIDSLFormFn)(QWidget *host, TApdComPort *port, QObject *owner,
                                     quint32 formFinishedMsg);

} // extern "C"
