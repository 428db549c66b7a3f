#!/usr/bin/env bash
# Runs a command where Qt windows can be driven through AT-SPI:
#   accessible-session.sh COMMAND [ARGUMENTS...]
# Starts a private Xvfb when there is no DISPLAY, a private session bus and the
# accessibility bus on it, exports what Qt needs to always publish its
# accessibility tree, runs the command and ends every process it started.
# QUILLSTONE_KEEP_DISPLAY=1 keeps an existing DISPLAY; QUILLSTONE_PRIVATE_DISPLAY=1
# starts an Xvfb even when one is set.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: accessible-session.sh COMMAND [ARGUMENTS...]" >&2
  exit 64
fi

started=()
workdir=$(mktemp -d "${TMPDIR:-/tmp}/quillstone-a11y-XXXXXX")
finish() {
  local pid
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    pid=${started[i]}
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "${started[@]}"; do
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null || true
  done
  rm -rf "$workdir"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for program in Xvfb dbus-daemon /usr/libexec/at-spi-bus-launcher; do
  if ! command -v "$program" >/dev/null; then
    echo "accessible-session.sh: $program is missing; run scripts/install-dependencies.sh" >&2
    exit 69
  fi
done

if [ -z "${DISPLAY:-}" ] || [ -n "${QUILLSTONE_PRIVATE_DISPLAY:-}" ]; then
  # Xvfb writes the display number it chose to the descriptor it is given.
  Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x900x24 >"$workdir/display" 2>"$workdir/xvfb.log" &
  started+=($!)
  for _ in $(seq 1 200); do
    [ -s "$workdir/display" ] && break
    sleep 0.05
  done
  number=$(head -n 1 "$workdir/display")
  if [ -z "$number" ]; then
    echo "accessible-session.sh: Xvfb did not start:" >&2
    cat "$workdir/xvfb.log" >&2
    exit 69
  fi
  export DISPLAY=":$number"
fi

# A session bus of our own, so nothing reaches (or waits on) the desktop's.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$workdir/bus" >/dev/null 2>&1 &
started+=($!)
for _ in $(seq 1 200); do
  [ -s "$workdir/bus" ] && break
  sleep 0.05
done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$workdir/bus")
export DBUS_SESSION_BUS_ADDRESS

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>"$workdir/a11y.log" &
started+=($!)
for _ in $(seq 1 200); do
  if dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; then
    break
  fi
  sleep 0.05
done
dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
  string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null 2>&1 || true

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
unset QT_QPA_PLATFORM
export QUILLSTONE_ACCESSIBLE_SESSION=1

set +e
"$@"
status=$?
set -e
exit "$status"
