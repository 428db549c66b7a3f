#!/usr/bin/env bash
# The main job: builds the bundle and runs the SD4 monitor end to end on this
# machine — a private session bus, a throwaway home with an SD4 configuration,
# the monitor process from the bundle, the Linux details Shortcut, and several
# simulated SuperDuper! 4 runs — then prints backup_status.json and the log.
# The monitor runs as a LaunchAgent under the bundle's launchctl, which keeps it
# alive: the demonstration kills it once and watches it come back.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${QUILLSTONE_DEMO_ON_BUS:-}" ]; then
  bash scripts/install-dependencies.sh
  cmake --preset default >/dev/null
  cmake --build --preset default
  # Everything below runs on a session bus of its own.
  exec env QUILLSTONE_DEMO_ON_BUS=1 dbus-run-session -- bash "$0" "$@"
fi

build=$PWD/build/default
app=$build/Quillstone.app
standin=$build/tools/superduper4/superduper4-standin
home=$(mktemp -d /tmp/quillstone-demo-XXXXXX)
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
       XDG_RUNTIME_DIR="$home/run" TMPDIR="$home/tmp" LANG=C.UTF-8
mkdir -p "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
log="$XDG_DATA_HOME/Quillstone/sd4-monitor.log"
status="$home/Dropbox/Quillstone/backup_status.json"

launchctl="$app/Contents/Helpers/launchctl"
service="gui/$(id -u)/com.quillstone.monitor"
agent="$HOME/Library/LaunchAgents/com.quillstone.monitor.plist"
# Restart a killed agent after 1 s instead of launchd's 10 s.
export QUILLSTONE_LAUNCHD_THROTTLE=1
cleanup() { "$launchctl" bootout "$service" >/dev/null 2>&1 || true; }
trap cleanup EXIT
monitor_pid() { "$launchctl" print "$service" | sed -n 's/.*pid = \([0-9]*\).*/\1/p' | head -n 1; }

wait_for_line() { # message count
  for _ in $(seq 1 300); do
    count=$(grep -cF " | $1" "$log" 2>/dev/null) || count=0
    [ "$count" -ge "${2:-1}" ] && return 0
    sleep 0.05
  done
  echo "timed out waiting for: $1" >&2
  return 1
}

echo "== Home for this run: $home"
echo
echo "== Install the details Shortcut (open hands .shortcut files to the shortcuts tool)"
"$app/Contents/Helpers/open" "$app/Contents/Resources/Quillstone SuperDuper Details.shortcut"
"$app/Contents/Helpers/shortcuts" list
echo
echo "== Configure SD4 monitoring into $home/Dropbox/Quillstone"
"$build/tools/quillstone-config" sd4 "$home/Dropbox/Quillstone"
echo
echo "== Install the monitor agent and bootstrap it: launchctl bootstrap gui/$(id -u) $agent"
mkdir -p "$(dirname "$agent")"
"$build/tools/quillstone-agent-plist" "$app/Contents/MacOS/quillstone-setup" > "$agent"
"$launchctl" bootstrap "gui/$(id -u)" "$agent"
wait_for_line "distributed notification observer registered"
"$launchctl" print "$service"
echo

# The destination is the volume that holds this home, so its free space shows.
volume=$(df --output=target "$home" | tail -n 1)
destination=$([ "$volume" = / ] && echo / || basename "$volume")

echo "== SuperDuper! 4 finishes four copies"
"$standin" --job-id 1F6C2A52-NIGHTLY --run-id RUN-1 --job-name "Nightly Clone" --outcome succeeded \
  --destination "$destination" --items-copied "1,234 items" --bytes-copied "12.5 GB" \
  --started-at "Today 02:00" --ended-at "Today 02:14" --bootable "Bootable" \
  --summary "Copied 1,234 items in 14 minutes."
wait_for_line "status written for: RUN-1"
"$standin" --job-id 9B3E11D0-OFFSITE --run-id RUN-2 --job-name "offsite archive" --outcome wrong_drive \
  --destination "Offsite" --summary "The destination was not the expected drive."
wait_for_line "status written for: RUN-2"
echo "(a malformed notification: is_catchup left out)"
"$standin" --job-id 1F6C2A52-NIGHTLY --run-id RUN-X --omit is_catchup
wait_for_line "notification payload rejected"
"$standin" --job-id 1F6C2A52-NIGHTLY --run-id RUN-3 --job-name "Nightly Clone" --outcome succeeded \
  --destination "$destination" --items-copied "56 items" --summary "Smart Update copied 56 items."
wait_for_line "status written for: RUN-3"
echo "(the same run posted again is recognised)"
"$standin" --raw --job-id 1F6C2A52-NIGHTLY --run-id RUN-3 >/dev/null
wait_for_line "run already processed: RUN-3"
echo
echo "== Kill the monitor (pid $(monitor_pid)); launchd brings it back"
kill -KILL "$(monitor_pid)"
wait_for_line "distributed notification observer registered" 2
echo "running again as pid $(monitor_pid)"
"$standin" --job-id 9B3E11D0-OFFSITE --run-id RUN-4 --job-name "offsite archive" --outcome succeeded \
  --destination "Offsite" --summary "Copied 12 items." >/dev/null
wait_for_line "status written for: RUN-4"
"$launchctl" bootout "$service"
echo "after bootout, print exits with $("$launchctl" print "$service" >/dev/null 2>&1; echo $?)"
echo
echo "== backup_status.json ($(stat -c %a "$status"))"
cat "$status"; echo
echo
echo "== sd4-monitor.log"
cat "$log"
