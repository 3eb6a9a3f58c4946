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

work=$(mktemp -d /tmp/blackbox-run.XXXXXX)
xvfb=""
stop_display() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  xvfb=""
}
trap 'stop_display; rm -rf "$work"' EXIT

# A display of our own: a number drawn from a wide range, refused by the server
# when another one holds it, and a cookie of our own, so that no client of ours
# ever talks to another test's server by mistake.
export XAUTHORITY="$work/Xauthority"
answers() { xwininfo -root >/dev/null 2>&1; }
start_display() {
  local n cookie
  n=$((1000 + RANDOM % 30000))
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  rm -f "$XAUTHORITY"
  xauth -q -f "$XAUTHORITY" add ":$n" . "$cookie" 2>/dev/null || return 1
  # -noreset: the server stays as it is when its last client leaves, so a
  # program starting at that moment never meets a server in the middle of a reset.
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset -auth "$XAUTHORITY" >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 200); do
    answers && return 0
    kill -0 "$xvfb" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
fresh_display() {
  for attempt in 1 2 3 4 5; do
    start_display && return 0
    echo "blackbox: X server attempt $attempt on $DISPLAY did not come up:" && cat "$work/xvfb.log"
    stop_display
  done
  echo "blackbox: the X server failed to start five times; the test did not run"
  return 1
}

run_test() {
  dbus-run-session -- sh -c '
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
    exit $rc' sh "$test" 2>&1 | grep -v -e "Failed to set fd limit" -e "^dbus-daemon\[" -e "SpiRegistry daemon" \
    | tee "$work/test.out"
  return "${PIPESTATUS[0]}"
}

# A test that failed while its display had stopped answering, or because a
# program could not connect to it (status 3), did not fail for the program's
# sake: it runs once more on a fresh display.
for round in 1 2; do
  fresh_display || exit 1
  set +e
  run_test
  rc=$?
  set -e
  [ "$rc" = 0 ] && exit 0
  if [ "$rc" = 3 ] || grep -q "could not connect to display" "$work/test.out"; then
    echo "blackbox: a program could not connect to $DISPLAY; the X server said:"
    cat "$work/xvfb.log"
    stop_display
    [ "$round" = 1 ] && echo "blackbox: running the test again on a fresh display"
    continue
  fi
  if answers; then
    [ -s "$work/xvfb.log" ] && echo "blackbox: the X server said:" && cat "$work/xvfb.log"
    exit "$rc"
  fi
  echo "blackbox: the X server on $DISPLAY stopped answering during the test:"
  cat "$work/xvfb.log"
  stop_display
  [ "$round" = 1 ] && echo "blackbox: running the test again on a fresh display"
done
exit "$rc"
