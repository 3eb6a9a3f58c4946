#!/usr/bin/env bash
# Runs one black-box test on a display of its own with a session bus and the
# accessibility bus: the programs are driven from outside, through what they
# tell assistive technology. Usage: run.sh BIN_DIR TEST.py
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export TALLYLINE_BIN="$1"
export TALLYLINE_SOURCE="$(cd "$here/../.." && pwd)"
test="$here/$2"
launcher=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  [ -x "$candidate" ] && launcher=$candidate && break
done
if [ -z "$launcher" ]; then
  echo "blackbox: at-spi-bus-launcher not found (package at-spi2-core)" >&2
  exit 1
fi
export BLACKBOX_LAUNCHER="$launcher" BLACKBOX_HERE="$here"
# A display number of our own: tests run side by side would all try :99 first
# and race for it.
set +e
xvfb_errors=$(mktemp)
trap 'rm -f "$xvfb_errors"' EXIT
xvfb-run -a -n $((100 + RANDOM % 800)) -e "$xvfb_errors" -s "-screen 0 1280x1024x24" dbus-run-session -- sh -c '
  "$BLACKBOX_LAUNCHER" --launch-immediately >/dev/null 2>&1 &
  bus=$!
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
  unset QT_QPA_PLATFORM
  # Neither the test nor a program may meet the bus before it answers: both
  # would go on without it.
  /usr/bin/python3 "$BLACKBOX_HERE/wait_for_bus.py" || exit 1
  rc=0
  /usr/bin/python3 "$1" || rc=$?
  kill $bus 2>/dev/null || true
  exit $rc' sh "$test" 2>&1 | grep -v -e "Failed to set fd limit" -e "^dbus-daemon\[" -e "SpiRegistry daemon"
rc=${PIPESTATUS[0]}
set -e
if [ "$rc" != 0 ] && [ -s "$xvfb_errors" ]; then
  echo "blackbox: the X server said:" && cat "$xvfb_errors"
fi
exit "$rc"
