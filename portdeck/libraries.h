#pragma once
// The product libraries as Portdeck binds them: one module handle and one
// entry per export, resolved by exact name in the order listed. A library
// that loads but lacks an export is unloaded again and counts as absent, so
// that no call is ever made through an empty entry: every entry of a loaded
// library is set.

#include "modules.h"
#include "productlibs.h"

#include <QString>

struct ConfigLibrary {   // configuration forms of the 56K business modem
    static constexpr const char *loadName = "Mantlet.dll";
    static constexpr const char *messageName = "Mantlet.dll";
    HMODULE module = nullptr;
    InitializeConfigFormFn InitializeConfigForm = nullptr;
    SetTopLeftPointFn SetFormTopLeftPoint = nullptr;
    ShowConfigFormFn ShowConfigForm = nullptr;
    VoidFn DestroyDll = nullptr;
    IntFn GetConfigHelpID = nullptr;
    SetLanguageFn SetConfigLanguage = nullptr;
    TriggerAvailFn CorvaneComPort1TriggerAvail = nullptr;
    VoidFn USBResetReceived = nullptr;
    SetComPtrsConfigFormFn SetComPtrsConfigForm = nullptr;
    SetWaitForComPortRefreshFn SetWaitForComPortRefresh = nullptr;
    SetUSBFlagFn SetUSBFlag = nullptr;

    template <class Bind> void exports(Bind &&bind)
    {
        bind("_InitializeConfigForm", InitializeConfigForm);
        bind("_SetFormTopLeftPoint", SetFormTopLeftPoint);
        bind("_ShowConfigForm", ShowConfigForm);
        bind("_DestroyDll", DestroyDll);
        bind("_GetConfigHelpID", GetConfigHelpID);
        bind("_SetConfigLanguage", SetConfigLanguage);
        bind("_CorvaneComPort1TriggerAvail", CorvaneComPort1TriggerAvail);
        bind("_USBResetReceived", USBResetReceived);
        bind("_SetComPtrsConfigForm", SetComPtrsConfigForm);
        bind("_SetWaitForComPortRefresh", SetWaitForComPortRefresh);
        bind("_SetUSBFlag", SetUSBFlag);
    }
};

struct QuillonLibrary {  // configuration forms of the ISDN TA
    static constexpr const char *loadName = "quillon.dll";
    static constexpr const char *messageName = "Quillon.dll";
    HMODULE module = nullptr;
    InitializeQuillonFn InitializeQuillon = nullptr;
    SetTopLeftPointFn SetQuillonTopLeftPoint = nullptr;
    ShowQuillonFormFn ShowQuillonForm = nullptr;
    VoidFn DestroyQuillonDll = nullptr;
    IntFn GetISDNTAHelpID = nullptr;
    SetLanguageFn SetQuillonLanguage = nullptr;
    EuropeanSwitchStatusFn EuropeanSwitchStatus = nullptr;
    SetHelpIdOverrideFn SetQuillonHelpIdOverride = nullptr;
    IntFn GetQuillonHelpIdOverride = nullptr;
    TriggerAvailFn QuillonComPort1TriggerAvail = nullptr;

    template <class Bind> void exports(Bind &&bind)
    {
        bind("_InitializeQuillon", InitializeQuillon);
        bind("_SetQuillonTopLeftPoint", SetQuillonTopLeftPoint);
        bind("_ShowQuillonForm", ShowQuillonForm);
        bind("_DestroyQuillonDll", DestroyQuillonDll);
        bind("_GetISDNTAHelpID", GetISDNTAHelpID);
        bind("_SetQuillonLanguage", SetQuillonLanguage);
        bind("_EuropeanSwitchStatus", EuropeanSwitchStatus);
        bind("_SetQuillonHelpIdOverride", SetQuillonHelpIdOverride);
        bind("_GetQuillonHelpIdOverride", GetQuillonHelpIdOverride);
        bind("_QuillonComPort1TriggerAvail", QuillonComPort1TriggerAvail);
    }
};

struct TerminalLibrary {
    static constexpr const char *loadName = "Gantry.dll";
    static constexpr const char *messageName = "gantry.dll";
    HMODULE module = nullptr;
    InitializeTerminalFn InitializeTerminal = nullptr;
    SetTopLeftPointFn SetTerminalTopLeftPoint = nullptr;
    ShowTerminalFn ShowTerminal = nullptr;
    VoidFn DestroyDll = nullptr;
    SetLanguageFn SetTermLanguage = nullptr;
    ProtocolEventFn TerminalProtocol1ProtocolError = nullptr;
    ProtocolEventFn TerminalProtocol1ProtocolFinish = nullptr;

    template <class Bind> void exports(Bind &&bind)
    {
        bind("_InitializeTerminal", InitializeTerminal);
        bind("_SetTerminalTopLeftPoint", SetTerminalTopLeftPoint);
        bind("_ShowTerminal", ShowTerminal);
        bind("_DestroyDll", DestroyDll);
        bind("_SetTermLanguage", SetTermLanguage);
        bind("_TerminalProtocol1ProtocolError", TerminalProtocol1ProtocolError);
        bind("_TerminalProtocol1ProtocolFinish", TerminalProtocol1ProtocolFinish);
    }
};

struct UpdaterLibrary {  // firmware download from disk
    static constexpr const char *loadName = "Sprocket.dll";
    static constexpr const char *messageName = "Sprocket.dll";
    HMODULE module = nullptr;
    InitializeModemUpdaterFn InitializeModemUpdater = nullptr;
    SetTopLeftPointFn SetModemUpdaterTopLeftPoint = nullptr;
    ShowFlagFn ShowModemUpdater = nullptr;
    VoidFn DestroyDll = nullptr;
    VoidFn USBResetReceived = nullptr;
    IntFn UpdateIsInProgress = nullptr;
    SetLanguageFn SetFlashLanguage = nullptr;
    ProtocolEventFn ModemUpdaterProtocol1ProtocolStatus = nullptr;
    ProtocolEventFn ModemUpdaterProtocol1ProtocolError = nullptr;
    ProtocolEventFn ModemUpdaterProtocol1ProtocolFinish = nullptr;
    TriggerAvailFn ModemUpdaterComPort1TriggerAvail = nullptr;
    TriggerDataFn ModemUpdaterComPort1TriggerData = nullptr;
    LastComportCmdFn LastComportCmd = nullptr;

    template <class Bind> void exports(Bind &&bind)
    {
        bind("_InitializeModemUpdater", InitializeModemUpdater);
        bind("_SetModemUpdaterTopLeftPoint", SetModemUpdaterTopLeftPoint);
        bind("_ShowModemUpdater", ShowModemUpdater);
        bind("_DestroyDll", DestroyDll);
        bind("_USBResetReceived", USBResetReceived);
        bind("_UpdateIsInProgress", UpdateIsInProgress);
        bind("_SetFlashLanguage", SetFlashLanguage);
        bind("_ModemUpdaterProtocol1ProtocolStatus", ModemUpdaterProtocol1ProtocolStatus);
        bind("_ModemUpdaterProtocol1ProtocolError", ModemUpdaterProtocol1ProtocolError);
        bind("_ModemUpdaterProtocol1ProtocolFinish", ModemUpdaterProtocol1ProtocolFinish);
        bind("_ModemUpdaterComPort1TriggerAvail", ModemUpdaterComPort1TriggerAvail);
        bind("_ModemUpdaterComPort1TriggerData", ModemUpdaterComPort1TriggerData);
        bind("_LastComportCmd", LastComportCmd);
    }
};

struct DecoderLibrary {  // protocol decoder form
    static constexpr const char *loadName = "Wicket.dll";
    static constexpr const char *messageName = "Wicket.dll";
    HMODULE module = nullptr;
    InitializeDecoderFn InitializeDecoder = nullptr;
    SetTopLeftPointFn SetDecoderTopLeftPoint = nullptr;
    ShowDecoderFormFn ShowDecoderForm = nullptr;
    VoidFn DestroyDecoderDll = nullptr;
    SetLanguageFn SetPPPLanguage = nullptr;

    template <class Bind> void exports(Bind &&bind)
    {
        bind("_InitializeDecoder", InitializeDecoder);
        bind("_SetDecoderTopLeftPoint", SetDecoderTopLeftPoint);
        bind("_ShowDecoderForm", ShowDecoderForm);
        bind("_DestroyDecoderDll", DestroyDecoderDll);
        bind("_SetPPPLanguage", SetPPPLanguage);
    }
};

struct IdslLibrary {     // configuration form of the IDSL modem
    static constexpr const char *loadName = "Tessel.dll";
    static constexpr const char *messageName = "Tessel.dll";
    HMODULE module = nullptr;
    InitializeIDSLFormFn InitializeIDSLForm = nullptr;
    SetTopLeftPointFn SetIDSLFormTopLeftPoint = nullptr;
    ShowFlagFn ShowIDSLForm = nullptr;
    VoidFn DestroyIDSLFormDll = nullptr;
    SetLanguageFn SetIDSLFormLanguage = nullptr;

    template <class Bind> void exports(Bind &&bind)
    {
        bind("_InitializeIDSLForm", InitializeIDSLForm);
        bind("_SetIDSLFormTopLeftPoint", SetIDSLFormTopLeftPoint);
        bind("_ShowIDSLForm", ShowIDSLForm);
        bind("_DestroyIDSLFormDll", DestroyIDSLFormDll);
        bind("_SetIDSLFormLanguage", SetIDSLFormLanguage);
    }
};

struct ProductLibraries {
    ConfigLibrary config;
    QuillonLibrary quillon;
    TerminalLibrary terminal;
    UpdaterLibrary updater;
    DecoderLibrary decoder;
    IdslLibrary idsl;

    bool configLoadedFor(const QString &modemSelected) const;
};

// Where the product libraries are looked for: empty (the default) is beside
// the program, then along the library path. Tests point it elsewhere before
// the main window is made.
void setProductLibraryDirectory(const QString &directory);
QString productLibraryDirectory();
