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

# Every path below is relative to the Quillstone folder, the working folder
# once the script has entered it.
status_file=backup_status.json
log_dir=logs
log_file="$log_dir/BackupMonitor.log"
lock_dir=.backup_status.lock
temporary=".backup_status.json.$$"
# A larger file is kept aside unread: other devices and programs write here too.
largest_status_file=8388608
holds_lock=
in_folder=

now() { date -u +%Y-%m-%dT%H:%M:%SZ; }

# Every process counts when many runs queue for the lock: no fork that can be spared.
log() {
    [ -n "$in_folder" ] || return 0
    [ -d "$log_dir" ] || mkdir "$log_dir" 2>/dev/null
    { printf '%s | %s\n' "${stamp:-$(now)}" "$1" >>"$log_file"; } 2>/dev/null
}

fail() { # status message
    log "status not written: $2"
    printf 'BackupMonitor.sh: %s\n' "$2" >&2
    exit "$1"
}

# SuperDuper! Classic runs this script as root, in a folder that its owner,
# the cloud client and the account's other devices write to: anything there
# can be a link or be swapped for one at any moment. So root never touches the
# folder. Perl (in both base systems) enters the folder, checks that the path
# still names the folder it entered, and runs the script's own text as the
# folder's owner: only that user's own group, no file descriptors but the standard
# three, the user's own HOME. A folder that root owns is used as root only
# while nobody else may write to it. The script is read once, by root, and
# only when no one but root can have written it.
enter_as_folder_owner() {
    exec /usr/bin/perl -e '
use strict;
use warnings;
use Fcntl qw(O_RDONLY O_NOFOLLOW);
use POSIX ();
my ($folder, $script, @arguments) = @ARGV;
sub refuse { print STDERR "BackupMonitor.sh: $_[0]\n"; exit 1 }
my $text;
my $script_file;
sysopen($script_file, $script, O_RDONLY | O_NOFOLLOW)
    or refuse("could not read the script $script: $!");
my @script_info = stat $script_file;
refuse("the script $script must be a file only root can change")
    unless -f _ && $script_info[4] == 0 && $script_info[3] == 1
        && ($script_info[2] & 022) == 0 && $script_info[7] < 1048576;
{ local $/; $text = <$script_file>; }
close $script_file;
refuse("$script is not Quillstone\x27s monitor")
    unless defined $text && index($text, "#!/bin/sh\n# Quillstone\x27s monitor for SuperDuper! Classic.") == 0;
(my $named = $folder) =~ s{(.)/+$}{$1};
chdir $folder or refuse("the Quillstone folder $folder does not exist");
my @here = stat ".";
my @there = lstat $named;
refuse("the Quillstone folder $folder is a link or was replaced while it was opened")
    unless @here && @there && -d _ && $here[0] == $there[0] && $here[1] == $there[1];
my ($mode, $uid, $gid) = @here[2, 4, 5];
my @user = getpwuid $uid;
# The group the system gives the owner; the folder group for an unknown user.
$gid = $user[3] if @user;
%ENV = (PATH => $ENV{PATH}, LC_ALL => "C", QUILLSTONE_FOLDER_ENTERED => 1,
        HOME => $user[7] // "/", USER => $user[0] // $uid, LOGNAME => $user[0] // $uid);
if ($uid == 0) {
    refuse("the Quillstone folder $folder belongs to root but others may write to it")
        if $mode & 022;
} else {
    $) = "$gid $gid";
    POSIX::setgid($gid);
    POSIX::setuid($uid);
    my ($real, $effective) = ($(, $));
    my @groups = (split(" ", $real), split(" ", $effective));
    refuse("could not give up root\x27s rights for the owner ($uid:$gid) of $folder")
        if $< != $uid || $> != $uid || grep({ $_ != $gid } @groups)
            || ($gid != 0 && POSIX::setgid(0)) || POSIX::setuid(0);
}
my @open;
if (opendir(my $descriptors, "/dev/fd")) {
    @open = grep { /^[0-9]+$/ && $_ > 2 } readdir $descriptors;
    closedir $descriptors;
} else {
    @open = 3 .. 1023;
}
POSIX::close($_) for @open;
exec { "/bin/sh" } "sh", "-c", $text, "BackupMonitor.sh", @arguments
    or refuse("could not run /bin/sh: $!");
' "$QUILLSTONE_DIR" "$0" "$@"
}

release() {
    if [ -e "$temporary" ] || [ -L "$temporary" ]; then
        rm -f "$temporary"
    fi
    if [ -n "$holds_lock" ]; then
        rm -rf "$lock_dir"
    fi
}
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
        if [ -L "$lock_dir" ]; then
            # Never a lock this script took.
            rm -f "$lock_dir"
            waited=$((waited + 1))
            [ "$waited" -lt 3000 ] || return 1
            continue
        fi
        if [ ! -d "$lock_dir" ]; then
            # Released meanwhile, or the folder cannot take a lock at all.
            [ ! -e "$lock_dir" ] && [ -w . ] || return 1
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
no_names="SuperDuper! passed no source or destination volume name (arguments 1 and 3)"

if [ -n "${QUILLSTONE_FOLDER_ENTERED-}" ]; then
    unset QUILLSTONE_FOLDER_ENTERED
else
    if [ ! -d "$QUILLSTONE_DIR" ]; then
        [ -n "$source_name" ] && [ -n "$destination_name" ] || fail 64 "$no_names"
        fail 1 "the Quillstone folder $QUILLSTONE_DIR does not exist"
    fi
    if [ "$(id -u 2>/dev/null)" = 0 ]; then
        [ -x /usr/bin/perl ] || fail 1 "running as root needs /usr/bin/perl to give up root's rights"
        enter_as_folder_owner "$@"
    fi
    cd "$QUILLSTONE_DIR" 2>/dev/null || fail 1 "the Quillstone folder $QUILLSTONE_DIR does not exist"
fi
in_folder=1
trap release EXIT

if [ -z "$source_name" ] || [ -z "$destination_name" ]; then
    fail 64 "$no_names"
fi
if [ -z "$destination_path" ] && [ -d "/Volumes/$destination_name" ]; then
    destination_path="/Volumes/$destination_name"
fi

completed_at=$(now)
stamp=$completed_at
free=$(free_space "$destination_path")
name="$source_name → $destination_name"

# A file it cannot read would look empty: better no entry than the others lost.
if [ -f "$status_file" ] && [ ! -L "$status_file" ] && [ ! -r "$status_file" ]; then
    fail 1 "$QUILLSTONE_DIR/$status_file cannot be read"
fi

take_lock || fail 1 "could not lock the status file in $QUILLSTONE_DIR"
# Temporary files of runs that were killed before they could clean up.
for stale in .backup_status.json.*; do
    if [ -e "$stale" ] || [ -L "$stale" ]; then
        rm -f .backup_status.json.* 2>/dev/null
    fi
    break
done

# Anything but a plain file of bounded size is kept aside unread.
unusable=
if [ -L "$status_file" ] || { [ -e "$status_file" ] && [ ! -f "$status_file" ]; }; then
    unusable="the old file was not a plain file"
elif [ -f "$status_file" ]; then
    size=$(wc -c <"$status_file" 2>/dev/null)
    if [ "${size:-0}" -gt "$largest_status_file" ] 2>/dev/null; then
        unusable="the old file was larger than $largest_status_file bytes"
    fi
fi

set -C
: >"$temporary" || fail 1 "could not create a temporary file in $QUILLSTONE_DIR"
set +C

why=$(QS_ID="classic:$source_name:$destination_name:$copy_script" \
QS_NAME="$name" QS_COMPLETED_AT="$completed_at" QS_FREE_SPACE="$free" \
QS_SOURCE="$source_name" QS_SOURCE_PATH="$source_path" \
QS_DESTINATION="$destination_name" QS_DESTINATION_PATH="$destination_path" \
QS_COPY_SCRIPT="$copy_script" QS_STATUS_FILE="$status_file" QS_UNUSABLE="$unusable" \
QS_LARGEST="$largest_status_file" \
awk '
# No function recurses deeper than a few levels: the awks stop at a small
# evaluation stack, and the file may be written by anyone.
function fail_parse(why) { if (why != "") dropped = why; bad = 1; return 0 }
# Tokens never span lines (JSON strings hold no raw line feed), so the parser
# walks one line at a time: substr stays cheap in every awk.
function ws() {
    while (1) {
        while (pos <= width && index(" \t\r", substr(line, pos, 1)) > 0) pos++
        if (pos <= width || at >= lines) return
        line = text[++at]; width = length(line); pos = 1
    }
}
function node(kind, value) { nodes++; kind_of[nodes] = kind; raw[nodes] = value; count[nodes] = 0; return nodes }

# The string token at pos, quotes included; "" when it is not valid JSON.
function parse_string(    start, c, e) {
    start = pos
    pos++
    while (pos <= width) {
        c = substr(line, pos, 1)
        if (c == "\\") {
            e = substr(line, pos + 1, 1)
            if (e == "u") {
                if (substr(line, pos + 2, 4) !~ /^[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]$/) return ""
                pos += 6
            } else if (e != "" && index("\"\\/bfnrt", e) > 0) pos += 2
            else return ""
            continue
        }
        if (c == "\"") { pos++; return substr(line, start, pos - start) }
        if (index(controls, c) > 0) return ""
        pos++
    }
    return ""
}
# A number, true, false or null at pos; "" when there is none.
function parse_scalar(    rest) {
    rest = substr(line, pos, 64)
    if (match(rest, number) && RLENGTH == length(rest)) {
        rest = substr(line, pos)
        match(rest, number)
    }
    if (RSTART == 1 || match(rest, /^(true|false|null)/)) {
        pos += RLENGTH
        return substr(rest, 1, RLENGTH)
    }
    return ""
}
# After "{" or ",": the key and its colon, kept for the member that follows.
function parse_key(depth,    s) {
    ws()
    if (substr(line, pos, 1) != "\"") return fail_parse()
    s = parse_string()
    if (s == "") return fail_parse()
    ws()
    if (substr(line, pos, 1) != ":") return fail_parse()
    pos++
    pending[depth] = s
    return 1
}
# The whole document, without recursion: the open containers are on a stack
# of at most max_depth levels.
function parse_document(    depth, c, n, v, s) {
    depth = 0
    while (1) {
        ws()
        if (pos > width) return fail_parse()
        c = substr(line, pos, 1)
        if (c == "{" || c == "[") {
            if (++depth > max_depth) return fail_parse("the old file was nested deeper than " max_depth " levels")
            n = node(c == "{" ? "o" : "a", ""); pos++
            stack[depth] = n
            ws()
            if (substr(line, pos, 1) == (c == "{" ? "}" : "]")) { pos++; depth--; v = n }
            else if (c == "[") continue
            else if (parse_key(depth)) continue
            else return 0
        } else if (c == "\"") {
            s = parse_string()
            if (s == "") return fail_parse()
            v = node("s", s)
        } else {
            s = parse_scalar()
            if (s == "") return fail_parse()
            v = node("v", s)
        }
        # v is complete: hand it to its container, closing every container it completes.
        while (1) {
            if (depth == 0) return v
            n = stack[depth]
            count[n]++; child[n, count[n]] = v
            if (kind_of[n] == "o") key[n, count[n]] = pending[depth]
            ws(); c = substr(line, pos, 1); pos++
            if (c == ",") {
                if (kind_of[n] == "o" && !parse_key(depth)) return 0
                break
            }
            if (c != (kind_of[n] == "o" ? "}" : "]")) return fail_parse()
            v = n; depth--
        }
    }
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
# Stable merge sort of items[lo..hi] by by[item]; recursion only log2(n) deep.
function merge_sort(items, by, lo, hi,    mid, i, j, k, merged) {
    if (hi - lo < 1) return
    mid = int((lo + hi) / 2)
    merge_sort(items, by, lo, mid); merge_sort(items, by, mid + 1, hi)
    i = lo; j = mid + 1; k = lo
    while (i <= mid && j <= hi) {
        if (by[items[j]] < by[items[i]]) merged[k++] = items[j++]
        else merged[k++] = items[i++]
    }
    while (i <= mid) merged[k++] = items[i++]
    while (j <= hi) merged[k++] = items[j++]
    for (k = lo; k <= hi; k++) items[k] = merged[k]
}

# Opens a value: prints a scalar or an empty container whole and returns 0,
# else prints its bracket (and sorts the keys of an object) and returns 1.
function open_value(n,    i, m) {
    if (kind_of[n] == "s" || kind_of[n] == "v") { printf "%s", raw[n]; return 0 }
    if (count[n] == 0) { printf "%s", (kind_of[n] == "o" ? "{}" : "[]"); return 0 }
    if (kind_of[n] == "o") {
        m = count[n]
        split("", ids); split("", names)
        for (i = 1; i <= m; i++) { ids[i] = i; names[i] = decoded(key[n, i]) }
        merge_sort(ids, names, 1, m)
        for (i = 1; i <= m; i++) sorted[n, i] = ids[i]
    }
    printf "%s", (kind_of[n] == "o" ? "{" : "[")
    return 1
}
# Apple-style pretty printing: keys sorted, "key" : value, two-space indent.
# The indent stops growing at max_indent levels, so deep nesting cannot make
# the file many times larger than the document.
function emit(root,    depth, n, i, c) {
    depth = 0
    if (open_value(root)) { stack[++depth] = root; done[depth] = 0 }
    while (depth > 0) {
        n = stack[depth]
        if (done[depth] == count[n]) {
            printf "\n%s%s", indent[(depth > max_indent) ? max_indent : depth - 1], (kind_of[n] == "o" ? "}" : "]")
            depth--
            continue
        }
        i = ++done[depth]
        printf "%s\n%s", (i > 1 ? "," : ""), indent[(depth > max_indent) ? max_indent : depth]
        if (kind_of[n] == "o") { printf "%s : ", key[n, sorted[n, i]]; c = child[n, sorted[n, i]] }
        else c = child[n, i]
        if (open_value(c)) { stack[++depth] = c; done[depth] = 0 }
    }
}

BEGIN {
    for (i = 1; i < 32; i++) controls = controls sprintf("%c", i)
    number = "^-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][-+]?[0-9]+)?"
    max_depth = 512
    max_indent = 8
    indent[0] = ""
    for (i = 1; i <= max_indent; i++) indent[i] = indent[i - 1] "  "
    largest = ENVIRON["QS_LARGEST"] + 0
    file = ENVIRON["QS_STATUS_FILE"]
    dropped = ENVIRON["QS_UNUSABLE"]
    lines = 0; size = 0
    if (dropped == "") {
        while ((getline line < file) > 0) {
            text[++lines] = line
            if ((size += length(line) + 1) > largest + 1) { dropped = "the old file was larger than " largest " bytes"; break }
        }
        close(file)
    }
    at = 0; line = ""; width = 0; pos = 1
    root = 0
    if (dropped != "") lines = 0
    else { ws(); if (pos <= width) {
        root = parse_document()
        if (!bad) { ws(); if (pos <= width) root = 0 }
        if (root && kind_of[root] != "o") root = 0
        if (!root && dropped == "") dropped = "the old file was not a JSON object"
    } }
    split("", text)
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
    merge_sort(order, sort_key, 1, kept)
    count[backups] = kept
    for (i = 1; i <= kept; i++) child[backups, i] = order[i]

    emit(root)
    printf "\n"
    if (dropped != "") { print dropped > "/dev/stderr"; exit 3 }
}' 2>&1 >"$temporary")
merged=$?

if [ "$merged" -eq 3 ]; then
    # Nothing is lost: the file that could not be merged stays beside the new one.
    aside="$status_file.unreadable-$(date -u +%s)"
    if [ -e "$aside" ] || [ -L "$aside" ]; then
        n=1
        while [ -e "$aside-$n" ] || [ -L "$aside-$n" ]; do n=$((n + 1)); done
        aside="$aside-$n"
    fi
    mv -f "$status_file" "$aside" || fail 1 "could not keep the unreadable status file"
    log "kept the old status file as $QUILLSTONE_DIR/$aside: $why"
elif [ "$merged" -ne 0 ]; then
    fail 1 "merging failed: $why"
fi

mv -f "$temporary" "$status_file" || fail 1 "could not replace $QUILLSTONE_DIR/$status_file"
release
holds_lock=

if [ -n "$free" ]; then
    log "status written for: $name ($free free)"
else
    log "status written for: $name"
fi
exit 0
