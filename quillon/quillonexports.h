#pragma once
// The library's exported interface, resolved by name by the host after it has
// loaded "quillon.dll". Handles are the host's widgets and objects: the parent
// window is a QWidget*, the port a TApdComPort*, the notify window a QObject*.

#include "productlibs.h"

#include <cstdint>

class QObject;
class QWidget;
class TApdComPort;
class TModemProgressForm;

extern "C" {

void _InitializeQuillon(QWidget *parentWindow, TApdComPort *port, const char *serialNumber,
                        const char *productVariant, QObject *notifyWindow, uint32_t notifyMessage);
void _ShowQuillonForm(unsigned char show, unsigned char countrySupported, const char *mode,
                      const char *productType);
void _SetQuillonLanguage(int language, int locale);
void _SetQuillonTopLeftPoint(int32_t left, int32_t top);
void _DestroyQuillonDll();
int32_t _GetISDNTAHelpID();
unsigned char _EuropeanSwitchStatus();
void _SetQuillonHelpIdOverride(int32_t helpContext);
int32_t _GetQuillonHelpIdOverride();
void _QuillonComPort1TriggerAvail(QObject *sender, uint16_t count);

extern TModemProgressForm *_ModemProgressForm;

} // extern "C"

