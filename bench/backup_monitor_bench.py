#!/usr/bin/python3
"""Cost of one BackupMonitor.sh run, as SuperDuper! Classic starts it.

    bench/backup_monitor_bench.py [BUNDLE] [RUNS]

For status files of 1, 10, 100 and 1,000 entries and for each awk that is
installed (Debian's mawk, the one true awk that macOS ships), prints the median
wall time and the median CPU time (the script and all its children) of RUNS runs.
Run as root, the Quillstone folder belongs to nobody, as a user's folder does
when SuperDuper! Classic runs the script: each run then gives up root's rights.
"""

import json
import os
import pwd
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

bundle = sys.argv[1] if len(sys.argv) > 1 else "build/default/Quillstone.app"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
template = open(os.path.join(bundle, "Contents/Resources/BackupMonitor.sh")).read()


def document(entries):
    return {"backups": [{"id": f"job-{i}", "name": f"Job {i:04}", "status": "SUCCESS",
                         "completedAt": "2025-01-31T22:04:05Z", "freeSpace": "512Gi",
                         "summary": "Copied 1,234 items."} for i in range(entries)]}


def measure(folder, awk, entries):
    os.makedirs(os.path.join(folder, "awk"), exist_ok=True)
    link = os.path.join(folder, "awk", "awk")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(awk, link)
    quillstone = os.path.join(folder, "Quillstone")
    os.makedirs(quillstone, exist_ok=True)
    owner = pwd.getpwnam("nobody") if os.geteuid() == 0 else None
    if owner:
        os.chown(quillstone, owner.pw_uid, owner.pw_gid)
    script = os.path.join(quillstone, "BackupMonitor.sh")
    with open(script, "w") as out:
        out.write(template.replace("__QUILLSTONE_DIR__", "'" + quillstone.replace("'", "'\\''") + "'"))
    os.chmod(script, 0o755)
    status = os.path.join(quillstone, "backup_status.json")
    environment = dict(os.environ, PATH=os.path.join(folder, "awk") + ":/usr/bin:/bin:/usr/sbin:/sbin")
    walls, cpus = [], []
    for _ in range(runs):
        with open(status, "w") as out:
            json.dump(document(entries), out, indent=2)
        if owner:
            os.chown(status, owner.pw_uid, owner.pw_gid)
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run([script, "Macintosh HD", "/", "Backup", "/", "Backup - all files"],
                       env=environment, check=True)
        walls.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
    return statistics.median(walls) * 1000, statistics.median(cpus) * 1000


def main():
    awks = [awk for awk in ("/usr/bin/mawk", "/usr/bin/original-awk") if os.path.exists(awk)]
    print(f"{'awk':<14}{'entries':>8}{'wall ms':>10}{'cpu ms':>9}   (median of {runs})")
    with tempfile.TemporaryDirectory() as folder:
        for awk in awks:
            for entries in (1, 10, 100, 1000):
                wall, cpu = measure(folder, awk, entries)
                print(f"{os.path.basename(awk):<14}{entries:>8}{wall:>10.1f}{cpu:>9.1f}")
            shutil.rmtree(os.path.join(folder, "Quillstone"))


if __name__ == "__main__":
    main()
