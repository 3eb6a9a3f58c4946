#!/usr/bin/env bash
# Each library loaded at run time exports exactly its entry points: the names
# its host resolves, nothing of its own classes, of Qt's templates or of the
# static libraries it was linked from.
# Usage: check_exports.sh DIR (the directory holding the libraries)
set -uo pipefail
dir=${1:?directory of the libraries}

declare -A expected=(
  [libquillon.so]="_DestroyQuillonDll _EuropeanSwitchStatus _GetISDNTAHelpID _GetQuillonHelpIdOverride
    _InitializeQuillon _ModemProgressForm _QuillonComPort1TriggerAvail _SetQuillonHelpIdOverride
    _SetQuillonLanguage _SetQuillonTopLeftPoint _ShowQuillonForm"
  [libmantlet.so]="_CorvaneComPort1TriggerAvail _DestroyDll _GetConfigHelpID _InitializeConfigForm
    _SetComPtrsConfigForm _SetConfigLanguage _SetFormTopLeftPoint _SetUSBFlag _SetWaitForComPortRefresh
    _ShowConfigForm _USBResetReceived"
  [libgantry.so]="_DestroyDll _InitializeTerminal _SetTermLanguage _SetTerminalTopLeftPoint _ShowTerminal
    _TerminalProtocol1ProtocolError _TerminalProtocol1ProtocolFinish"
  [libsprocket.so]="_DestroyDll _InitializeModemUpdater _LastComportCmd _ModemUpdaterComPort1TriggerAvail
    _ModemUpdaterComPort1TriggerData _ModemUpdaterProtocol1ProtocolError _ModemUpdaterProtocol1ProtocolFinish
    _ModemUpdaterProtocol1ProtocolStatus _SetFlashLanguage _SetModemUpdaterTopLeftPoint _ShowModemUpdater
    _USBResetReceived _UpdateIsInProgress"
  [libwicket.so]="_DestroyDecoderDll _InitializeDecoder _SetDecoderTopLeftPoint _SetPPPLanguage _ShowDecoderForm"
  [libtessel.so]="_DestroyIDSLFormDll _InitializeIDSLForm _SetIDSLFormLanguage _SetIDSLFormTopLeftPoint
    _ShowIDSLForm"
  [libpatchwell.so]="DllGetClassObject DllRegisterServer DllUnregisterServer"
  [libcsh.so]="ContextHelpInit"
)

failed=0
for library in $(printf '%s\n' "${!expected[@]}" | sort); do
  file="$dir/$library"
  if [ ! -f "$file" ]; then
    echo "FAIL $library: not found in $dir"
    failed=1
    continue
  fi
  want=$(printf '%s\n' ${expected[$library]} | sort)
  have=$(nm -D --defined-only "$file" | awk '{print $NF}' | sort)
  if [ "$want" != "$have" ]; then
    echo "FAIL $library exports what it should not (+) or lacks an entry point (-):"
    diff <(echo "$want") <(echo "$have") | sed -n 's/^> /  + /p; s/^< /  - /p' | head -n 40
    failed=1
  else
    echo "ok   $library: $(echo "$have" | wc -l) entry points"
  fi
done
exit $failed
