#!/usr/bin/env bash
# Patchwell on a real X display with a real tray host (trayer): its icon is
# embedded in the tray. Usage: tray_on_a_desktop.sh <bin dir>
set -u
bin=$1
for tool in Xvfb trayer xwininfo; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps installs it)"; exit 1; }
done
work=$(mktemp -d /tmp/pw-tray.XXXXXX)
export TALLYLINE_ROOT=$work/root TALLYLINE_TIME_SCALE=0.1
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
# The server picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
unset QT_QPA_PLATFORM
trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 >"$work/trayer.log" 2>&1 &
pids+=($!)
tray=""
for _ in $(seq 50); do
  tray=$(xwininfo -root -tree 2>/dev/null | awk '/"panel"/ {print $1; exit}')
  [ -n "$tray" ] && break
  sleep 0.1
done
[ -n "$tray" ] || { echo "FAIL: trayer did not start"; cat "$work/trayer.log"; exit 1; }
count() { xwininfo -id "$tray" -tree 2>/dev/null | grep -c '0x'; }
before=$(count)
QT_QPA_PLATFORM=xcb "$bin/patchwell" >"$work/patchwell.log" 2>&1 &
pw=$!
pids+=($pw)
added=0
for _ in $(seq 100); do
  if [ "$(count)" -gt "$before" ]; then added=1; break; fi
  kill -0 "$pw" 2>/dev/null || break
  sleep 0.1
done
if [ $added -ne 1 ]; then
  echo "FAIL: no icon was added to the tray"; cat "$work/patchwell.log"; exit 1
fi
kill -TERM "$pw"
for _ in $(seq 50); do kill -0 "$pw" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pw" 2>/dev/null; then echo "FAIL: patchwell did not end on SIGTERM"; exit 1; fi
echo "tray icon added and removed: 1 passed, 0 failed"
