#!/usr/bin/env python3
"""Cleans of the Windows program while another program works in the same content folder.

At random moments during each clean, the adversary moves originals away to a side folder,
replaces an original with a new file of the same name, creates a case twin (a name Windows
cannot make beside the first, made from the Linux side as a Linux program would), makes files
read-only, holds files open without delete sharing (through win32_holder, as a game does), and
puts a folder or a link to a folder in an original's place. Some cleans are also killed at a
random moment, within the time the clean itself takes. After every round:

- every file content that was ever in the content folder is whole in the content folder, the
  backup folder or the side folder (lost: 0);
- no backup folder holds, under a final name, a file that is not one of them whole (partial: 0);
- a clean that was not killed leaves no content both in the content folder and in the backup
  folder (duplicates: 0): a refused delete takes the file's copy back;
- the backup folder holds no folder and no link (misplaced: 0): only the files checked move.

The mover runs in a copy of the prefix WINEPREFIX names, or in a new one.
PAKSCOUR_ADVERSARY_ROUNDS sets the number of rounds (20 by default). Prints one count line.
    adversary_test.py WINE MOVER_EXE HOLDER_EXE
"""

import collections
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

STAMP = "061226140509"  # the mover's fixed clock
TEMP_PREFIX = ".pakscour-"
FILE_COUNT = 150


def sha1(path):
    with open(path, "rb") as f:
        return hashlib.sha1(f.read()).hexdigest()


def contents(folder):
    """SHA-1 of each plain file of a folder with a final name (none when it is missing)."""
    out = collections.Counter()
    if not os.path.isdir(folder):
        return out
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        if name.startswith(TEMP_PREFIX) or not os.path.isfile(path):
            continue
        out[sha1(path)] += 1
    return out


class Holder:
    """win32_holder under Wine: holds files open without delete sharing."""

    def __init__(self, wine, exe, env):
        self.p = subprocess.Popen([wine, exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, env=env, text=True, bufsize=1)

    def ask(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()
        answer = self.p.stdout.readline().strip()
        if not answer:
            sys.exit("adversary_test: win32_holder stopped answering")
        return answer

    def close(self):
        self.p.stdin.close()
        self.p.wait(timeout=60)


def main():
    wine, mover, holder_exe = sys.argv[1:4]
    rounds = int(os.environ.get("PAKSCOUR_ADVERSARY_ROUNDS", "20"))
    rng = random.Random(os.environ.get("PAKSCOUR_ADVERSARY_SEED") or None)
    work = tempfile.mkdtemp(prefix="pakscour-adversary.")
    env = dict(os.environ, WINEDEBUG="-all")
    source_prefix = os.environ.get("WINEPREFIX", "")
    prefix = os.path.join(work, "prefix")
    env["WINEPREFIX"] = prefix
    holder = None
    try:
        if source_prefix and os.path.isdir(os.path.join(source_prefix, "drive_c")):
            subprocess.run(["cp", "-a", source_prefix, prefix], check=True)
        else:
            subprocess.run([wine, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env)
        # One server for all rounds, so that each start of the mover is quick.
        subprocess.run(["wineserver", "-p"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        holder = Holder(wine, holder_exe, env)
        run(rounds, rng, wine, mover, holder, prefix, env)
    finally:
        if holder:
            holder.close()
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        shutil.rmtree(work, ignore_errors=True)


def misplaced_in(folder):
    """The folders and links in a folder (none when it is missing)."""
    if not os.path.isdir(folder):
        return 0
    return sum(1 for name in os.listdir(folder)
               if os.path.islink(os.path.join(folder, name))
               or os.path.isdir(os.path.join(folder, name)))


def clean_time(err):
    """The clean's own time in seconds, as the mover measured it, or None."""
    for line in err.splitlines():
        if line.startswith("clean took "):
            return float(line.split()[2])
    return None


def clean(wine, mover, env, err_path):
    """Starts the mover; returns the process once it has begun the clean. Its standard error
    goes to a file: Wine's services, started beside the first program of a prefix, inherit its
    handles and would keep a pipe open for ever."""
    with open(err_path, "wb") as err:
        p = subprocess.Popen([wine, mover, "C:\\advtest"], stdout=subprocess.PIPE, stderr=err,
                             env=env)
    if p.stdout.read(1) != b"s":
        p.wait()
        sys.exit("adversary_test: the mover did not start: " + read_text(err_path))
    return p


def read_text(path):
    with open(path, "rb") as f:
        return f.read().decode(errors="replace")


def run(rounds, rng, wine, mover, holder, prefix, env):
    install = os.path.join(prefix, "drive_c", "advtest")
    content = os.path.join(install, "Main")
    backup = os.path.join(content, STAMP)
    side = os.path.join(prefix, "drive_c", "advside")
    block = os.urandom(64 * 1024)
    serial = [0]

    def new_content():
        # Each one different: a serial number, then a slice of the random block.
        serial[0] += 1
        start = rng.randint(0, len(block))
        return b"%d:" % serial[0] + (block[start:] + block[:start])[:rng.randint(0, len(block))]

    def write(path, data, ever):
        with open(path, "wb") as f:
            f.write(data)
        ever.add(hashlib.sha1(data).hexdigest())

    def prepare(ever):
        shutil.rmtree(install, ignore_errors=True)
        shutil.rmtree(side, ignore_errors=True)
        os.makedirs(content)
        os.makedirs(side)
        for i in range(FILE_COUNT):
            write(os.path.join(content, "mod_%d.pk3" % i), new_content(), ever)

    # A clean left alone tells how long one takes; the adversary acts within that time.
    ever = set()
    prepare(ever)
    err_path = os.path.join(os.path.dirname(prefix), "mover.err")
    p = clean(wine, mover, env, err_path)
    started = time.monotonic()
    if p.wait(timeout=300) != 0:
        sys.exit("adversary_test: the clean left alone failed: " + read_text(err_path))
    # The clean itself, without the end of the Wine process: acts and kills come within it.
    took = clean_time(read_text(err_path)) or time.monotonic() - started
    if os.path.exists(os.path.join(content, "mod_0.pk3")):
        sys.exit("adversary_test: the clean left alone did not move the files")

    actions = collections.Counter()
    outcomes = collections.Counter()
    lost = partial = duplicates = misplaced = 0
    begin = time.monotonic()
    for _ in range(rounds):
        ever = set()
        prepare(ever)
        killed = rng.random() < 0.25
        kill_at = rng.uniform(0, took)
        p = clean(wine, mover, env, err_path)
        start = time.monotonic()
        moments = sorted(rng.uniform(0, took) for _ in range(rng.randint(1, 8)))
        for moment in moments:
            if killed and moment > kill_at:
                break
            time.sleep(max(0.0, start + moment - time.monotonic()))
            act(rng, content, side, holder, ever, actions, new_content, write, serial)
        if killed:
            time.sleep(max(0.0, start + kill_at - time.monotonic()))
            p.kill()
        status = p.wait(timeout=300)
        err = read_text(err_path)
        holder.ask("release")
        if killed and status != 0:
            outcomes["killed"] += 1
        elif status == 0:
            outcomes["finished"] += 1
        else:
            number = [l for l in err.splitlines() if l.startswith("Error number:")]
            outcomes["stopped: " + (number[0].split(":", 1)[1].strip() if number else err)] += 1

        in_content, in_backup, in_side = contents(content), contents(backup), contents(side)
        for digest in ever:
            if not (in_content[digest] or in_backup[digest] or in_side[digest]):
                lost += 1
        partial += sum(n for digest, n in in_backup.items() if digest not in ever)
        if not (killed and status != 0):
            duplicates += sum(1 for digest in in_backup if in_content[digest])
        misplaced += misplaced_in(backup)
        if lost or partial or duplicates or misplaced:
            print("adversary_test: round %d: lost %d, partial %d, duplicates %d, misplaced %d;"
                  " mover: %s" % (sum(outcomes.values()), lost, partial, duplicates, misplaced,
                                  err.strip()), file=sys.stderr)
            break

    print("adversary rounds (%s path): %d (%s), actions: %s, files lost: %d, partial files under"
          " a backup name: %d, files left in both folders: %d, folders or links in the backup"
          " folder: %d, one clean: %d ms, %d s in all"
          % (os.environ.get("PAKSCOUR_MOVER_PATH") or "rename", sum(outcomes.values()),
             ", ".join("%s %d" % kv for kv in sorted(outcomes.items())),
             ", ".join("%s %d" % kv for kv in sorted(actions.items())), lost, partial,
             duplicates, misplaced, took * 1000, time.monotonic() - begin))
    if lost or partial or duplicates or misplaced or sum(outcomes.values()) < rounds:
        sys.exit("adversary_test: FAILED")


def act(rng, content, side, holder, ever, actions, new_content, write, serial):
    """One random act of the adversary on a random file of the content folder."""
    try:
        names = [n for n in os.listdir(content) if os.path.isfile(os.path.join(content, n))]
    except FileNotFoundError:
        return
    if not names:
        return
    name = rng.choice(names)
    path = os.path.join(content, name)
    kind = rng.choice(["move away", "replace", "case twin", "read-only", "hold", "folder in place",
                       "link in place"])
    try:
        if kind == "move away":
            serial[0] += 1
            os.rename(path, os.path.join(side, "%s.%d" % (name, serial[0])))
        elif kind == "replace":
            serial[0] += 1
            os.rename(path, os.path.join(side, "%s.%d" % (name, serial[0])))
            write(path, new_content(), ever)
        elif kind == "case twin":
            twin = os.path.join(content, name.swapcase())
            if os.path.exists(twin):
                return
            write(twin, new_content(), ever)
        elif kind == "read-only":
            os.chmod(path, 0o444)
        elif kind in ("folder in place", "link in place"):
            serial[0] += 1
            os.rename(path, os.path.join(side, "%s.%d" % (name, serial[0])))
            if kind == "folder in place":
                os.mkdir(path)
            else:
                os.symlink(side, path)
        else:
            answer = holder.ask("hold C:\\advtest\\Main\\" + name)
            if answer != "ok":
                kind = "hold refused"
    except FileNotFoundError:
        return  # the clean moved it first
    actions[kind] += 1


if __name__ == "__main__":
    main()
