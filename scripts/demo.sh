#!/usr/bin/env bash
# The main job: builds the bundle and shows Quillstone working on this machine,
# in a throwaway home so nothing of the real user is touched.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake --preset default >/dev/null
cmake --build --preset default

build=build/default
home=$(mktemp -d /tmp/quillstone-demo-XXXXXX)
export HOME="$home" XDG_DATA_HOME="$home/.local/share"

echo "== Bundle tree"
(cd "$build" && find Quillstone.app -type f | sort)
echo
echo "== Info.plist"
cat "$build/Quillstone.app/Contents/Info.plist"
echo
echo "== Configure SD4 monitoring into $home/Dropbox/Quillstone"
"$build/tools/quillstone-config" sd4 "$home/Dropbox/Quillstone"
echo
echo "== configuration.json"
cat "$XDG_DATA_HOME/Quillstone/configuration.json"; echo
echo
echo "== backup_status.json"
cat "$home/Dropbox/Quillstone/backup_status.json"
