#!/usr/bin/env bash
# The main job: builds the bundle and shows the whole product at work, in a
# throwaway home, the way a person meets it:
#   bash scripts/demo.sh            SuperDuper! 4: the wizard through its window
#                                   (Shortcut, activation), the monitor as a
#                                   LaunchAgent, two finished copies, the status panel
#   bash scripts/demo.sh --classic  SuperDuper! Classic: the folder chosen in the
#                                   wizard's dialog, BackupMonitor.sh installed with
#                                   administrator rights and run after two copies
#   --update-docs                   also copies the composed pictures over the
#                                   README's in docs/ (the only write outside build/)
# Every button is pressed through the accessibility bus (tools/atspi). Screenshots
# of every step go to one folder under build/, with the pictures composed from
# them. Prints one line per stage and exits non-zero when a stage did not happen.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=sd4
update_docs=
for argument in "$@"; do
  case "$argument" in
    --classic) mode=classic ;;
    --update-docs) update_docs=1 ;;
    *) echo "usage: bash scripts/demo.sh [--classic] [--update-docs]" >&2; exit 64 ;;
  esac
done

if [ -z "${QUILLSTONE_ACCESSIBLE_SESSION:-}" ]; then
  bash scripts/install-dependencies.sh
  cmake --preset default >/dev/null
  cmake --build --preset default --target quillstone-setup quillstone-setup-wizard quillstone-status \
    quillstone-shortcuts-helper quillstone-sd4-details helper_launchctl helper_open helper_osascript \
    superduper4-standin
  # An X display (private when there is none), a session bus and the accessibility bus.
  exec tools/atspi/accessible-session.sh bash "$0" "$@"
fi

source=$PWD
build=$source/build/default
app=$build/Quillstone.app
status_app="$app/Contents/Library/LoginItems/Quillstone Status.app"
launchctl=$app/Contents/Helpers/launchctl
standin=$build/tools/superduper4/superduper4-standin
shots=$build/demo-screenshots/$mode
rm -rf "$shots" && mkdir -p "$shots"

home=$(mktemp -d /tmp/quillstone-demo-XXXXXX)
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
       XDG_STATE_HOME="$home/.local/state" XDG_RUNTIME_DIR="$home/run" TMPDIR="$home/tmp" LANG=C.UTF-8
mkdir -p "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# Restart a killed agent after 1 s instead of launchd's 10 s.
export QUILLSTONE_LAUNCHD_THROTTLE=1
service="gui/$(id -u)/com.quillstone.monitor"
monitor_log="$XDG_DATA_HOME/Quillstone/sd4-monitor.log"

drive() { /usr/bin/python3 "$source/tools/atspi/quillstone_atspi.py" "$@"; }
wizard() { drive --app quillstone-setup "$@"; }
panel() { drive --app "Quillstone Status" "$@"; }
shot() { # file (in $shots) application [window]
  drive --app "$2" screenshot "$shots/$1" ${3:+--window "$3"}
  shown+=("$1")
}

results=()
current=
shown=()
stage() { current=$1; echo; echo "== $1"; }
passed() { results+=("ok    $current: $1"); echo "-> $1"; current=; }

wizard_pid=
# Processes of this run that the bundle started itself (the status app, the
# monitor): found by their executable in this bundle and this run's home.
own_pids() { # executable
  local proc
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/exe" 2>/dev/null)" = "$1" ] || continue
    tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "HOME=$home" && echo "${proc#/proc/}"
  done
  return 0
}
cleanup() {
  "$launchctl" bootout "$service" >/dev/null 2>&1 || true
  local pid
  for pid in $wizard_pid $(own_pids "$status_app/Contents/MacOS/quillstone-status") \
             $(own_pids "$app/Contents/MacOS/quillstone-setup-wizard") $(own_pids "$app/Contents/MacOS/quillstone-setup"); do
    kill -TERM "$pid" 2>/dev/null || true
  done
  sleep 0.5
  for pid in $wizard_pid $(own_pids "$status_app/Contents/MacOS/quillstone-status"); do
    kill -KILL "$pid" 2>/dev/null || true
  done
}
finish() {
  local status=$?
  trap - EXIT
  cleanup
  echo
  echo "== Summary ($mode)"
  local line
  for line in "${results[@]}"; do echo "$line"; done
  if [ -n "$current" ]; then
    echo "FAIL  $current"
    [ "$status" -ne 0 ] || status=1
  elif [ "$status" -ne 0 ]; then
    echo "FAIL  the step after the last one above"
  fi
  echo "Screenshots: $shots"
  echo "Home of this run: $home"
  exit "$status"
}
trap finish EXIT

wait_for_log() { # message [count]
  for _ in $(seq 1 300); do
    count=$(grep -cF " | $1" "$monitor_log" 2>/dev/null) || count=0
    [ "$count" -ge "${2:-1}" ] && return 0
    sleep 0.05
  done
  echo "timed out waiting for the monitor to log: $1" >&2
  return 1
}
entries() { # status file -> "name: status at completedAt" lines
  /usr/bin/python3 -c 'import json,sys
for e in json.load(open(sys.argv[1]))["backups"]:
    print("  " + e["name"] + ": " + e["status"] + " at " + e["completedAt"] + (", " + e["freeSpace"] + " free" if e.get("freeSpace") else ""))' "$1"
}

stage "Quillstone Setup opens"
"$app/Contents/MacOS/quillstone-setup" >"$home/wizard.log" 2>&1 &
wizard_pid=$!
wizard wait "Welcome to Quillstone Setup" --timeout 60
wizard wait "Step 1 of 5"
shot 1-welcome.png quillstone-setup
passed "the wizard shows Welcome (step 1 of 5)"

stage "Step 2: the SuperDuper! version"
wizard press Continue
wizard wait "Choose your SuperDuper! version"
if [ "$mode" = classic ]; then
  wizard press "SuperDuper! Classic"
  # The note about an earlier Classic setup belongs to the SD4 choice only.
  wizard wait "Previously using SuperDuper! Classic?" --gone
else
  wizard wait "Previously using SuperDuper! Classic?"
fi
shot 2-superduper.png quillstone-setup
if [ "$mode" = classic ]; then passed "SuperDuper! Classic chosen"; else passed "SuperDuper! 4 is the preselected choice"; fi

stage "Step 3: the status folder"
wizard press Continue
wizard wait "Synchronize the status file"
if [ "$mode" = classic ]; then
  parent="$home/Dropbox"
  mkdir -p "$parent"
  wizard press "Choose status folder"
  wizard wait "Choose where Quillstone status should be stored"
  wizard set-text "$parent" --name "Directory:"
  shot 3a-choose-folder.png quillstone-setup "Choose where Quillstone status should be stored"
  wizard press Choose
  wizard wait "Choose where Quillstone status should be stored" --gone
else
  parent="$home"
fi
folder="$parent/Quillstone"
wizard wait "$folder/backup_status.json"
shot 3-status-folder.png quillstone-setup
passed "the status file will be $folder/backup_status.json"

stage "Step 4: activation"
wizard press Continue
if [ "$mode" = classic ]; then
  wizard wait "Install the monitor script"
  shot 4-install.png quillstone-setup
  wizard press "Install Quillstone"
  wizard wait "BackupMonitor.sh and the Quillstone menu-bar app were installed successfully." --timeout 60
  shot 4-installed.png quillstone-setup
  script="$folder/BackupMonitor.sh"
  rights=$(stat -c '%U:%G %a' "$script")
  [ "$rights" = "root:wheel 755" ] || { echo "BackupMonitor.sh is $rights" >&2; false; }
  passed "BackupMonitor.sh installed through the administrator command ($rights)"
else
  wizard wait "Activate Quillstone" --role label
  shot 4-activate.png quillstone-setup
  wizard press "Install required Shortcut"
  wizard wait "Add the Shortcut in the macOS window, then return to Quillstone Setup. The Activate Quillstone button will appear automatically."
  "$app/Contents/Helpers/shortcuts" list | grep -qxF "Quillstone SuperDuper Details"
  # The person comes back to the wizard after adding the Shortcut.
  wizard reactivate
  wizard wait "The Apple Shortcut is installed. You can now activate Quillstone."
  wizard press "Activate Quillstone" --role "push button"
  wizard wait "The Quillstone Monitor is active for this Mac user." --timeout 60
  shot 4-activated.png quillstone-setup
  wait_for_log "distributed notification observer registered"
  "$launchctl" print "$service" >/dev/null
  passed "Shortcut installed through the bridge, Quillstone activated, the monitor runs under launchctl"
fi

stage "Step 5: next steps, Finish"
wizard press Continue
wizard wait "Complete Quillstone on your phone"
if [ "$mode" = classic ]; then
  wizard wait "Select $folder/BackupMonitor.sh."
fi
shot 5-next-steps.png quillstone-setup
wizard press Finish
for _ in $(seq 1 100); do kill -0 "$wizard_pid" 2>/dev/null || break; sleep 0.1; done
wait "$wizard_pid" && wizard_status=0 || wizard_status=$?
wizard_pid=
[ "$wizard_status" -eq 0 ] || { echo "the wizard exited with $wizard_status" >&2; false; }
passed "Finish closes the wizard (exit status 0)"

volume=$(df --output=target "$home" | tail -n 1)
if [ "$mode" = classic ]; then
  stage "SuperDuper! Classic runs BackupMonitor.sh after two copies"
  # SuperDuper! passes source name, source path, destination name, destination path, copy script.
  "$script" "Macintosh HD" / "Backup" "$volume" "Backup - all files"
  "$script" "Macintosh HD" / "Offsite" "" "Smart Update Offsite"
  entries "$folder/backup_status.json"
  tail -n 2 "$folder/logs/BackupMonitor.log"
  passed "two entries in backup_status.json, two lines in logs/BackupMonitor.log"
  pill="Classic status ready"
  names=("Macintosh HD → Backup" "Macintosh HD → Offsite")
else
  stage "SuperDuper! 4 finishes two copies"
  destination=$([ "$volume" = / ] && echo / || basename "$volume")
  "$standin" --job-id 1F6C2A52-NIGHTLY --run-id RUN-1 --job-name "Nightly Clone" --outcome succeeded \
    --destination "$destination" --items-copied "1,234 items" --bytes-copied "12.5 GB" \
    --summary "Copied 1,234 items in 14 minutes." >/dev/null
  wait_for_log "status written for: RUN-1"
  "$standin" --job-id 9B3E11D0-OFFSITE --run-id RUN-2 --job-name "Offsite Archive" --outcome wrong_drive \
    --destination "Offsite" --summary "The destination was not the expected drive." >/dev/null
  wait_for_log "status written for: RUN-2"
  entries "$folder/backup_status.json"
  passed "the monitor wrote a success and a failure"

  stage "The monitor is kept alive and checks what it receives"
  before=$("$launchctl" print "$service" | sed -n 's/.*pid = \([0-9]*\).*/\1/p' | head -n 1)
  kill -KILL "$before"
  wait_for_log "distributed notification observer registered" 2
  "$standin" --job-id 1F6C2A52-NIGHTLY --run-id RUN-X --omit is_catchup >/dev/null
  wait_for_log "notification payload rejected"
  "$standin" --raw --job-id 9B3E11D0-OFFSITE --run-id RUN-2 >/dev/null
  wait_for_log "run already processed: RUN-2"
  after=$("$launchctl" print "$service" | sed -n 's/.*pid = \([0-9]*\).*/\1/p' | head -n 1)
  passed "killed (pid $before), back as pid $after; a malformed notification rejected, a repeated run recognised"
  pill="Monitor active"
  names=("Nightly Clone" "Offsite Archive")
fi

stage "Quillstone Status shows both entries"
# Registering the login item already started it; open it the way macOS would otherwise.
if ! panel wait Dashboard --timeout 15 2>/dev/null; then
  "$app/Contents/Helpers/open" -g "$status_app"
  panel wait Dashboard --timeout 30
fi
panel press "Refresh Quillstone status"
for name in "${names[@]}" "$pill"; do
  panel wait "$name" --timeout 20
done
shot 6-status-panel.png "Quillstone Status"
shown_rows=$(panel labels | /usr/bin/python3 -c 'import sys
labels = [line.rstrip("\n") for line in sys.stdin]
names = sys.argv[1:]
rows = []
for name in names:
    at = labels.index(name)
    rows.append(f"{name} ({labels[at + 1]}, {labels[at + 2]})")
print("; ".join(rows))' "${names[@]}")
passed "$shown_rows; \"$pill\""

stage "Pictures for the README"
pictures=$build/demo-pictures
mkdir -p "$pictures"
if [ "$mode" = classic ]; then
  /usr/bin/python3 tools/docs/pictures.py "$pictures/quillstone-setup-classic.png" 900 \
    "$shots/3a-choose-folder.png" "$shots/4-installed.png" "$shots/5-next-steps.png"
  made=(quillstone-setup-classic.png)
else
  /usr/bin/python3 tools/docs/pictures.py "$pictures/quillstone-setup.png" 900 \
    "$shots/1-welcome.png" "$shots/2-superduper.png" "$shots/3-status-folder.png" \
    "$shots/4-activate.png" "$shots/4-activated.png" "$shots/5-next-steps.png"
  /usr/bin/python3 tools/docs/pictures.py "$pictures/quillstone-status.png" 360 "$shots/6-status-panel.png"
  made=(quillstone-setup.png quillstone-status.png)
fi
if [ -n "$update_docs" ]; then
  for picture in "${made[@]}"; do cp "$pictures/$picture" docs/; done
  passed "${#shown[@]} screenshots in $shots; docs/ pictures replaced: ${made[*]}"
else
  passed "${#shown[@]} screenshots in $shots; pictures in $pictures (docs/ untouched)"
fi
