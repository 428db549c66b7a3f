#!/bin/sh
# Quillstone's monitor for SuperDuper! Classic. SuperDuper! runs it after a
# scheduled copy completes ("Run shell script after copy completes") with:
#   $1 source volume name         $2 source mount path
#   $3 destination volume name    $4 destination mount path
#   $5 name of the copy script    ($6, an image file, is not read)
# It merges one entry for this copy into backup_status.json in the Quillstone
# folder, keeping every other entry and key, and logs one line per run to
# logs/BackupMonitor.log. Without $1 or $3 it changes nothing and exits 64.
#
# Only tools that both macOS and Debian have in their base system.

QUILLSTONE_DIR=__QUILLSTONE_DIR__

: "${PATH:=/usr/bin:/bin:/usr/sbin:/sbin}"
export PATH
LC_ALL=C
export LC_ALL
# The status file is created 0644: readable by the cloud client and the phone's share.
umask 022

status_file="$QUILLSTONE_DIR/backup_status.json"
log_dir="$QUILLSTONE_DIR/logs"
log_file="$log_dir/BackupMonitor.log"
lock_dir="$QUILLSTONE_DIR/.backup_status.lock"
temporary="$QUILLSTONE_DIR/.backup_status.json.$$"
holds_lock=

now() { date -u +%Y-%m-%dT%H:%M:%SZ; }

# Every process counts when many runs queue for the lock: no fork that can be spared.
log() {
    [ -d "$log_dir" ] || mkdir -p "$log_dir" 2>/dev/null
    printf '%s | %s\n' "${stamp:-$(now)}" "$1" >>"$log_file" 2>/dev/null
}

fail() { # status message
    log "status not written: $2"
    printf 'BackupMonitor.sh: %s\n' "$2" >&2
    exit "$1"
}

release() {
    if [ -e "$temporary" ]; then
        rm -f "$temporary"
    fi
    if [ -n "$holds_lock" ]; then
        rm -rf "$lock_dir"
    fi
}
trap release EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Two copies finishing together must not lose each other's entry. A lock left
# by a killed run is broken once its process is gone; only one waiter breaks it.
is_running() {
    kill -0 "$1" 2>/dev/null || [ -d "/proc/$1" ] || ps -p "$1" >/dev/null 2>&1
}
take_lock() {
    waited=0
    ownerless=0
    while ! mkdir "$lock_dir" 2>/dev/null; do
        if [ ! -d "$lock_dir" ]; then
            # Released meanwhile, or the folder cannot take a lock at all.
            [ ! -e "$lock_dir" ] && [ -w "$QUILLSTONE_DIR" ] || return 1
            waited=$((waited + 1))
            [ "$waited" -lt 3000 ] || return 1
            continue
        fi
        owner=
        read -r owner 2>/dev/null <"$lock_dir/pid"
        if [ -n "$owner" ]; then ownerless=0; else ownerless=$((ownerless + 1)); fi
        if { [ -n "$owner" ] && ! is_running "$owner"; } || [ "$ownerless" -ge 20 ]; then
            # A breaker killed in its few instructions is given up on after 30 s.
            if mkdir "$lock_dir/breaking" 2>/dev/null || [ "$waited" -ge 300 ]; then
                now_owner=
                read -r now_owner 2>/dev/null <"$lock_dir/pid"
                if [ "$now_owner" = "$owner" ]; then
                    rm -rf "$lock_dir"
                    ownerless=0
                    continue
                fi
                rmdir "$lock_dir/breaking" 2>/dev/null
            fi
        fi
        waited=$((waited + 1))
        [ "$waited" -lt 3000 ] || return 1
        sleep 0.1 2>/dev/null || sleep 1
    done
    holds_lock=1
    echo $$ >"$lock_dir/pid"
}

# Free space in the power-of-two units the status format uses, "" when unknown.
free_space() {
    [ -n "$1" ] && [ -d "$1" ] || return 0
    df -P -k "$1" 2>/dev/null | awk 'NR == 2 {
        for (i = 2; i <= NF - 1; i++) {
            if ($(i + 1) ~ /^[0-9]+%$/ && $i ~ /^[0-9]+$/) {
                bytes = $i * 1024
                if (bytes >= 1099511627776) printf "%.1fTi", bytes / 1099511627776
                else if (bytes >= 1073741824) printf "%.0fGi", bytes / 1073741824
                else printf "%.0fMi", bytes / 1048576
                exit
            }
        }
    }'
}

source_name=${1-}
source_path=${2-}
destination_name=${3-}
destination_path=${4-}
copy_script=${5-}

if [ -z "$source_name" ] || [ -z "$destination_name" ]; then
    fail 64 "SuperDuper! passed no source or destination volume name (arguments 1 and 3)"
fi
if [ ! -d "$QUILLSTONE_DIR" ]; then
    fail 1 "the Quillstone folder $QUILLSTONE_DIR does not exist"
fi
if [ -z "$destination_path" ] && [ -d "/Volumes/$destination_name" ]; then
    destination_path="/Volumes/$destination_name"
fi

completed_at=$(now)
stamp=$completed_at
free=$(free_space "$destination_path")
name="$source_name → $destination_name"
# Run as root, the new file still belongs to the folder's owner (the cloud client reads it).
folder_owner=
if [ "$(id -u 2>/dev/null)" = 0 ]; then
    folder_owner=$(ls -ldn "$QUILLSTONE_DIR" | awk '{ print $3 ":" $4 }')
fi

# A file it cannot read would look empty: better no entry than the others lost.
if [ -e "$status_file" ] && [ ! -r "$status_file" ]; then
    fail 1 "$status_file cannot be read"
fi

take_lock || fail 1 "could not lock the status file in $QUILLSTONE_DIR"
# Temporary files of runs that were killed before they could clean up.
for stale in "$QUILLSTONE_DIR"/.backup_status.json.*; do
    [ -f "$stale" ] && rm -f "$stale"
done

set -C
: >"$temporary" || fail 1 "could not create a temporary file in $QUILLSTONE_DIR"
set +C

why=$(QS_ID="classic:$source_name:$destination_name:$copy_script" \
QS_NAME="$name" QS_COMPLETED_AT="$completed_at" QS_FREE_SPACE="$free" \
QS_SOURCE="$source_name" QS_SOURCE_PATH="$source_path" \
QS_DESTINATION="$destination_name" QS_DESTINATION_PATH="$destination_path" \
QS_COPY_SCRIPT="$copy_script" QS_STATUS_FILE="$status_file" \
awk '
function fail_parse() { bad = 1; return 0 }
# Tokens never span lines (JSON strings hold no raw line feed), so the parser
# walks one line at a time: substr stays cheap in every awk.
function ws() {
    while (1) {
        while (pos <= width && index(" \t\r", substr(line, pos, 1)) > 0) pos++
        if (pos <= width || at >= lines) return
        line = text[++at]; width = length(line); pos = 1
    }
}
function at_end() { ws(); return pos > width && at >= lines }
function node(kind, value) { nodes++; kind_of[nodes] = kind; raw[nodes] = value; count[nodes] = 0; return nodes }

function parse_string(    start, c) {
    start = pos
    pos++
    while (pos <= width) {
        c = substr(line, pos, 1)
        if (c == "\\") { pos += 2; continue }
        if (c == "\"") { pos++; return substr(line, start, pos - start) }
        if (index(controls, c) > 0) return ""
        pos++
    }
    return ""
}

function parse_value(    c, n, s, k, rest) {
    if (at_end()) return fail_parse()
    c = substr(line, pos, 1)
    if (c == "{") {
        n = node("o", ""); pos++; ws()
        if (substr(line, pos, 1) == "}") { pos++; return n }
        while (1) {
            ws()
            if (substr(line, pos, 1) != "\"") return fail_parse()
            s = parse_string()
            if (s == "") return fail_parse()
            ws()
            if (substr(line, pos, 1) != ":") return fail_parse()
            pos++
            k = parse_value()
            if (!k) return 0
            count[n]++; key[n, count[n]] = s; child[n, count[n]] = k
            ws(); c = substr(line, pos, 1); pos++
            if (c == "}") return n
            if (c != ",") return fail_parse()
        }
    }
    if (c == "[") {
        n = node("a", ""); pos++; ws()
        if (substr(line, pos, 1) == "]") { pos++; return n }
        while (1) {
            k = parse_value()
            if (!k) return 0
            count[n]++; child[n, count[n]] = k
            ws(); c = substr(line, pos, 1); pos++
            if (c == "]") return n
            if (c != ",") return fail_parse()
        }
    }
    if (c == "\"") {
        s = parse_string()
        return s == "" ? fail_parse() : node("s", s)
    }
    rest = substr(line, pos, 400)
    if (match(rest, /^-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][-+]?[0-9]+)?/) ||
        match(rest, /^(true|false|null)/)) {
        pos += RLENGTH
        return node("v", substr(rest, 1, RLENGTH))
    }
    return fail_parse()
}

function hex(h,    i, v) {
    v = 0
    for (i = 1; i <= length(h); i++) v = v * 16 + index("0123456789abcdef", tolower(substr(h, i, 1))) - 1
    return v
}
function utf8(cp) {
    if (cp < 128) return sprintf("%c", cp)
    if (cp < 2048) return sprintf("%c%c", 192 + int(cp / 64), 128 + cp % 64)
    if (cp < 65536) return sprintf("%c%c%c", 224 + int(cp / 4096), 128 + int(cp / 64) % 64, 128 + cp % 64)
    return sprintf("%c%c%c%c", 240 + int(cp / 262144), 128 + int(cp / 4096) % 64, 128 + int(cp / 64) % 64, 128 + cp % 64)
}
# The text of a string token, so equal ids compare equal however they were escaped.
function decoded(token,    out, i, c, e, cp, low) {
    if (index(token, "\\") == 0) return substr(token, 2, length(token) - 2)
    out = ""
    for (i = 2; i < length(token); i++) {
        c = substr(token, i, 1)
        if (c != "\\") { out = out c; continue }
        e = substr(token, ++i, 1)
        if (e == "u") {
            cp = hex(substr(token, i + 1, 4)); i += 4
            if (cp >= 55296 && cp < 56320 && substr(token, i + 1, 2) == "\\u") {
                low = hex(substr(token, i + 3, 4))
                if (low >= 56320 && low < 57344) { cp = 65536 + (cp - 55296) * 1024 + (low - 56320); i += 6 }
            }
            out = out utf8(cp)
        } else if (e == "n") out = out "\n"
        else if (e == "t") out = out "\t"
        else if (e == "r") out = out "\r"
        else if (e == "b") out = out "\b"
        else if (e == "f") out = out "\f"
        else out = out e
    }
    return out
}
function quoted(s,    out, i, c, p) {
    out = ""
    for (i = 1; i <= length(s); i++) {
        c = substr(s, i, 1)
        if (c == "\\" || c == "\"") out = out "\\" c
        else if (c == "\n") out = out "\\n"
        else if (c == "\t") out = out "\\t"
        else if (c == "\r") out = out "\\r"
        else if ((p = index(controls, c)) > 0) out = out sprintf("\\u%04x", p)
        else out = out c
    }
    return "\"" out "\""
}
function member(n, name,    i) {
    for (i = 1; i <= count[n]; i++) if (decoded(key[n, i]) == name) return child[n, i]
    return 0
}
function set_member(n, name, value,    i) {
    for (i = 1; i <= count[n]; i++) if (decoded(key[n, i]) == name) { child[n, i] = value; return }
    count[n]++; key[n, count[n]] = quoted(name); child[n, count[n]] = value
}
function add(n, name, value) { count[n]++; key[n, count[n]] = quoted(name); child[n, count[n]] = node("s", quoted(value)) }

function sort_name(n,    name) {
    name = member(n, "name")
    return (name && kind_of[name] == "s") ? tolower(decoded(raw[name])) : ""
}
# Stable merge sort of the entries by name, case-insensitively.
function merge_sort(lo, hi,    mid, i, j, k) {
    if (hi - lo < 1) return
    mid = int((lo + hi) / 2)
    merge_sort(lo, mid); merge_sort(mid + 1, hi)
    i = lo; j = mid + 1; k = lo
    while (i <= mid && j <= hi) {
        if (sort_key[order[j]] < sort_key[order[i]]) merged[k++] = order[j++]
        else merged[k++] = order[i++]
    }
    while (i <= mid) merged[k++] = order[i++]
    while (j <= hi) merged[k++] = order[j++]
    for (k = lo; k <= hi; k++) order[k] = merged[k]
}

function indent(depth,    s) { s = ""; while (depth-- > 0) s = s "  "; return s }
# Apple-style pretty printing: keys sorted, "key" : value, two-space indent.
function emit(n, depth,    i, j, t, ids, m) {
    if (kind_of[n] == "s" || kind_of[n] == "v") { printf "%s", raw[n]; return }
    if (count[n] == 0) { printf "%s", (kind_of[n] == "o" ? "{}" : "[]"); return }
    if (kind_of[n] == "a") {
        printf "["
        for (i = 1; i <= count[n]; i++) {
            printf "%s\n%s", (i > 1 ? "," : ""), indent(depth + 1)
            emit(child[n, i], depth + 1)
        }
        printf "\n%s]", indent(depth)
        return
    }
    m = count[n]
    for (i = 1; i <= m; i++) { ids[i] = i; keys_of[n, i] = decoded(key[n, i]) }
    for (i = 2; i <= m; i++) {
        t = ids[i]
        for (j = i - 1; j >= 1 && keys_of[n, ids[j]] > keys_of[n, t]; j--) ids[j + 1] = ids[j]
        ids[j + 1] = t
    }
    printf "{"
    for (i = 1; i <= m; i++) {
        printf "%s\n%s%s : ", (i > 1 ? "," : ""), indent(depth + 1), key[n, ids[i]]
        emit(child[n, ids[i]], depth + 1)
    }
    printf "\n%s}", indent(depth)
}

BEGIN {
    for (i = 1; i < 32; i++) controls = controls sprintf("%c", i)
    file = ENVIRON["QS_STATUS_FILE"]
    lines = 0
    while ((getline line < file) > 0) text[++lines] = line
    close(file)
    at = 0; line = ""; width = 0; pos = 1
    root = 0
    if (!at_end()) {
        root = parse_value()
        if (bad || !at_end() || kind_of[root] != "o") root = 0
        if (!root) dropped = "the old file was not a JSON object"
    }
    if (!root) root = node("o", "")
    backups = member(root, "backups")
    usable = backups && kind_of[backups] == "a"
    for (i = 1; usable && i <= count[backups]; i++) if (kind_of[child[backups, i]] != "o") usable = 0
    if (!usable) {
        list = node("a", "")
        if (member(root, "status")) {
            count[list] = 1; child[list, 1] = root
            root = node("o", "")
        } else if (backups) dropped = "its \"backups\" was not a list of entries"
        set_member(root, "backups", list)
        backups = list
    }

    entry = node("o", "")
    add(entry, "id", ENVIRON["QS_ID"])
    add(entry, "name", ENVIRON["QS_NAME"])
    add(entry, "status", "SUCCESS")
    add(entry, "completedAt", ENVIRON["QS_COMPLETED_AT"])
    add(entry, "freeSpace", ENVIRON["QS_FREE_SPACE"])
    add(entry, "source", ENVIRON["QS_SOURCE"])
    add(entry, "sourcePath", ENVIRON["QS_SOURCE_PATH"])
    add(entry, "destination", ENVIRON["QS_DESTINATION"])
    add(entry, "destinationPath", ENVIRON["QS_DESTINATION_PATH"])
    add(entry, "copyScript", ENVIRON["QS_COPY_SCRIPT"])

    kept = 0
    for (i = 1; i <= count[backups]; i++) {
        e = child[backups, i]
        id = member(e, "id")
        if (id && kind_of[id] == "s" && decoded(raw[id]) == ENVIRON["QS_ID"]) continue
        order[++kept] = e
    }
    order[++kept] = entry
    for (i = 1; i <= kept; i++) sort_key[order[i]] = sort_name(order[i])
    merge_sort(1, kept)
    count[backups] = kept
    for (i = 1; i <= kept; i++) child[backups, i] = order[i]

    emit(root, 0)
    printf "\n"
    if (dropped != "") { print dropped > "/dev/stderr"; exit 3 }
}' 2>&1 >"$temporary")
merged=$?

if [ "$merged" -eq 3 ]; then
    # Nothing is lost: the file that could not be merged stays beside the new one.
    aside="$status_file.unreadable-$(date -u +%s)"
    if [ -e "$aside" ]; then
        n=1
        while [ -e "$aside-$n" ]; do n=$((n + 1)); done
        aside="$aside-$n"
    fi
    mv -f "$status_file" "$aside" || fail 1 "could not keep the unreadable status file"
    log "kept the old status file as $aside: $why"
elif [ "$merged" -ne 0 ]; then
    fail 1 "merging failed: $why"
fi

if [ -n "$folder_owner" ]; then
    chown "$folder_owner" "$temporary" 2>/dev/null
fi
mv -f "$temporary" "$status_file" || fail 1 "could not replace $status_file"
release
holds_lock=

if [ -n "$free" ]; then
    log "status written for: $name ($free free)"
else
    log "status written for: $name"
fi
exit 0
