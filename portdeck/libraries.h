#pragma once
// The product libraries as Portdeck binds them: one module handle and one
// entry per export. Loading, ShowDLL, unloading and the registration with the
// update service are filled in with the library binding; until then every
// entry stays empty and every call site below checks its entry first.

#include "modules.h"

class QObject;
class QWidget;
class TApdComPort;
class TApdTapiDevice;
class TApdProtocol;

struct ConfigLibrary {   // "Mantlet.dll"
    HMODULE module = nullptr;
    void (*InitializeConfigForm)(QWidget *, TApdComPort *, const char *, QObject *, int, int) = nullptr;
    void (*SetFormTopLeftPoint)(int, int) = nullptr;
    void (*ShowConfigForm)(int, int, int, const char *) = nullptr;
    void (*DestroyDll)() = nullptr;
    int (*GetConfigHelpID)() = nullptr;
    void (*SetConfigLanguage)(int, int) = nullptr;
    void (*CorvaneComPort1TriggerAvail)(QObject *, int) = nullptr;
    void (*USBResetReceived)() = nullptr;
    void (*SetComPtrsConfigForm)(TApdComPort *, const char *) = nullptr;
    void (*SetWaitForComPortRefresh)(int) = nullptr;
    void (*SetUSBFlag)(int) = nullptr;
};

struct QuillonLibrary {  // "quillon.dll"
    HMODULE module = nullptr;
    void (*InitializeQuillon)(QWidget *, TApdComPort *, const char *, const char *, QObject *, int) = nullptr;
    void (*SetQuillonTopLeftPoint)(int, int) = nullptr;
    void (*ShowQuillonForm)(int, int, const char *, const char *) = nullptr;
    void (*DestroyQuillonDll)() = nullptr;
    int (*GetISDNTAHelpID)() = nullptr;
    void (*SetQuillonLanguage)(int, int) = nullptr;
    int (*EuropeanSwitchStatus)() = nullptr;
    void (*SetQuillonHelpIdOverride)(int) = nullptr;
    int (*GetQuillonHelpIdOverride)() = nullptr;
    void (*QuillonComPort1TriggerAvail)(QObject *, int) = nullptr;
};

struct UpdaterLibrary {  // "Sprocket.dll"
    HMODULE module = nullptr;
    void (*USBResetReceived)() = nullptr;
    int (*UpdateIsInProgress)() = nullptr;
    void (*ModemUpdaterComPort1TriggerAvail)(QObject *, int) = nullptr;
    void (*ModemUpdaterComPort1TriggerData)(QObject *, int) = nullptr;
    void (*LastComportCmd)(char *) = nullptr;
};

struct ProductLibraries {
    ConfigLibrary config;
    QuillonLibrary quillon;
    HMODULE terminal = nullptr;   // "Gantry.dll"
    UpdaterLibrary updater;
    HMODULE decoder = nullptr;    // "Wicket.dll"
    HMODULE idsl = nullptr;       // "Tessel.dll"

    bool configLoadedFor(const QString &modemSelected) const;
};
