#!/usr/bin/python3
"""BackupMonitor.sh reads the status file exactly as python's json module does.

    BackupMonitorJsonPropertyTest.py SCRIPT [DOCUMENTS] [SEED]

Random documents (deep nesting, long strings, escapes, numbers, whitespace,
and small corruptions of them) are merged by the script with each installed
awk. A document python accepts, nested at most 512 levels, must keep every
value; any other is kept aside byte for byte and a new document is started.
Prints the seed of the first failing document.
"""

import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

script = sys.argv[1]
documents = int(sys.argv[2]) if len(sys.argv) > 2 else 40
seed = int(sys.argv[3]) if len(sys.argv) > 3 else 20261207
sys.setrecursionlimit(20000)


def text_piece(rng):
    pieces = ["a", "Z", " ", "é", "→", "😀", "\\\"", "\\\\", "\\/", "\\n", "\\t", "\\b", "\\f", "\\r",
              "\\u00e9", "\\u2192", "\\ud83d\\ude00", "\\ud800", "\\uDC00x", "\\u0000", "\x7f", "'"]
    return rng.choice(pieces)


def string(rng):
    length = rng.choice([0, 1, 5, 20, 300, 5000])
    return '"' + "".join(text_piece(rng) for _ in range(length)) + '"'


def number(rng):
    return rng.choice([
        str(rng.randint(-10**6, 10**6)), "0", "-0", str(rng.randint(0, 10**30)), "9007199254740993",
        f"{rng.uniform(-1e6, 1e6):.6f}", f"{rng.randint(1, 9)}.{rng.randint(0, 999)}e{rng.randint(-30, 30)}",
        "1E+2", "-1.5e-3", "1" * 90, "0." + "7" * 80,
    ])


def blank(rng):
    return rng.choice(["", "", " ", "\n", "\t", " \r\n  "])


def value(rng, depth):
    roll = rng.random()
    if depth < 6 and roll < 0.35:
        members = [f'{blank(rng)}{string(rng) if rng.random() < 0.3 else json.dumps(rng.choice("abcdefgh"))}'
                   f'{blank(rng)}:{blank(rng)}{value(rng, depth + 1)}' for _ in range(rng.randint(0, 4))]
        return "{" + ",".join(members) + blank(rng) + "}"
    if depth < 6 and roll < 0.6:
        return "[" + ",".join(blank(rng) + value(rng, depth + 1) for _ in range(rng.randint(0, 4))) + blank(rng) + "]"
    if roll < 0.65:
        levels = rng.choice([100, 511, 512, 513, 600])
        return "[" * levels + value(rng, 9) + "]" * levels
    if roll < 0.75:
        levels = rng.choice([50, 510, 513])
        return '{"k":' * levels + "1" + "}" * levels
    return rng.choice([string, number, lambda _: rng.choice(["true", "false", "null"])])(rng)


def corrupted(rng, text):
    at = rng.randrange(len(text) + 1)
    change = rng.choice(['"', "\\", ",", ":", "[", "]", "{", "}", "0", "-", ".", "e", "x", "\x01", "\f",
                         "tru", "nul", "NaN", "Infinity", ",]", "\\u12", "\\q", "01", "1.", ".5", "+1"])
    return text[:at] + change + text[at + rng.randint(0, 2):]


def document(rng):
    text = '{"backups": [],' + blank(rng) + '"x":' + blank(rng) + value(rng, 0) + blank(rng) + "}\n"
    return corrupted(rng, text) if rng.random() < 0.4 else text


class Members(list):
    """An object's members in order, duplicates included: a value a later key hides still counts."""


def depth_of(item):
    deepest, stack = 0, [(item, 1)]
    while stack:
        item, level = stack.pop()
        if isinstance(item, list):
            deepest = max(deepest, level)
            stack.extend((child[1] if isinstance(item, Members) else child, level + 1) for child in item)
    return deepest


def reference(text):
    """The document python reads, or None when the script must keep the file aside."""
    def no_constants(name):
        raise ValueError(name)
    try:
        read = json.loads(text, parse_constant=no_constants)
        members = json.loads(text, object_pairs_hook=Members)
    except (ValueError, RecursionError):
        return None
    return read if isinstance(read, dict) and depth_of(members) <= 512 else None


def run(folder, environment, text):
    status = os.path.join(folder, "backup_status.json")
    with open(status, "w", encoding="utf-8", newline="") as out:
        out.write(text)
    done = subprocess.run([os.path.join(folder, "BackupMonitor.sh"), "Mac", "/", "Backup", "", "s"],
                          env=environment, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    aside = [name for name in os.listdir(folder) if name.startswith("backup_status.json.unreadable-")]
    kept = None
    for name in aside:
        with open(os.path.join(folder, name), encoding="utf-8", newline="") as kept_file:
            kept = kept_file.read()
        os.remove(os.path.join(folder, name))
    with open(status, encoding="utf-8") as written:
        return written.read(), kept


def check(folder, environment, text):
    expected = reference(text)
    written, kept = run(folder, environment, text)
    merged = json.loads(written)
    ours = [entry for entry in merged["backups"] if entry["id"] == "classic:Mac:Backup:s"]
    assert len(ours) == 1 and len(merged["backups"]) == 1, written[:300]
    if expected is None:
        assert kept == text, f"a document python rejects was not kept aside ({kept is None})"
        assert merged == {"backups": ours}, written[:300]
    else:
        assert kept is None, "a document python reads was kept aside"
        expected["backups"] = ours
        assert merged == expected, "a value changed in the merge"
    # However deep the document, the pretty printed file stays a few times its size.
    assert len(written) <= 20 * len(text) + 1000, f"{len(written)} bytes written for {len(text)}"


def main():
    awks = [awk for awk in ("/usr/bin/mawk", "/usr/bin/original-awk") if os.path.exists(awk)]
    assert awks, "no awk to test"
    template = open(script, encoding="utf-8").read()
    with tempfile.TemporaryDirectory() as root:
        for awk in awks:
            folder = os.path.join(root, "Quillstone")
            os.makedirs(os.path.join(root, "awk"), exist_ok=True)
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            if os.path.lexists(os.path.join(root, "awk", "awk")):
                os.remove(os.path.join(root, "awk", "awk"))
            os.symlink(awk, os.path.join(root, "awk", "awk"))
            installed = os.path.join(folder, "BackupMonitor.sh")
            with open(installed, "w", encoding="utf-8") as out:
                out.write(template.replace("__QUILLSTONE_DIR__", "'" + folder.replace("'", "'\\''") + "'"))
            os.chmod(installed, 0o755)
            environment = dict(os.environ, PATH=os.path.join(root, "awk") + ":/usr/bin:/bin")
            accepted = 0
            for index in range(documents):
                rng = random.Random(seed + index)
                text = document(rng)
                try:
                    check(folder, environment, text)
                except AssertionError as error:
                    sys.exit(f"{os.path.basename(awk)}, seed {seed + index}: {error}\n{text[:400]!r}")
                accepted += reference(text) is not None
            print(f"{os.path.basename(awk)}: {documents} documents, {accepted} read, {documents - accepted} kept aside")


if __name__ == "__main__":
    main()
