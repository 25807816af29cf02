#!/usr/bin/env python3
"""Soak and kill test of the real program; run through script/soak, which builds it first.

Two runs against pollwick-sitesim --rate 1 (a new upload every second), each with its own
program folder, a check every few seconds, a Notify and a Download filter and torrents.db in step:

1. The kill run starts Pollwick, waits for its first finished check, checks the state it left,
   then kills it with SIGKILL, either at a random moment or just after one of the log lines
   that the check's writes follow ("Updating torrent db.", "Update successful.",
   "Autodownloading", "Number of results:"), and starts it again, until it has been killed the
   given number of times. After each restart's first finished check: settings.reg,
   filters.dat, categories.db and torrents.db parse; no file is left in the program folder
   but the program's own files, the lock and the instance socket; no .torrent is empty; search_newest equals
   torrents.db's last id; lastalerted <= lastparsed. A kill is survived when that holds.
2. The memory run lets Pollwick run undisturbed and samples its VmRSS every 30 seconds.

Prints each kill and each sample, then the kills survived, the checks run and the memory
figures with the machine's load, and exits with 1 when a kill was not survived or the memory
grew by more than the allowed spread after the settling time.
"""
import argparse
import os
import random
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

START_ID = 700390  # ten uploads before the newest of the simulator's 400
KEPT_FILES = {"settings.reg", "filters.dat", "categories.db", "torrents.db", "pollwick.lock",
              "udata.temp", "profile.cache", "avatar.img"}
# The socket a second start asks the running instance through; left behind by a kill, it is
# taken over by the next start.
KEPT_SOCKETS = {"pollwick.socket"}
# Log lines that the check's writes follow: the torrents.db append, the downloads the filters
# ask for, and the alert stage after which the check's values are stored.
WRITE_LINES = ["Updating torrent db.", "Update successful.", "Autodownloading",
               "Number of results: "]
CHECK_END = re.compile(r"\) Number of results: \d+")
FILTERS = b"110harbour\r\n*\r\n111pwk\r\n*\r\n"


class Failure(Exception):
    pass


def load():
    one, five, fifteen = os.getloadavg()
    return f"load {one:.2f} {five:.2f} {fifteen:.2f}"


def prepare_home(home, interval):
    os.makedirs(home)
    values = [
        '"appbuild"="512"', f'"interval"=dword:{interval:08x}', '"filterenabled"=dword:00000001',
        '"site_username"="demo"', '"site_password"="ccjk"', f'"lastparsed"="{START_ID}"',
        f'"lastalerted"="{START_ID}"', f'"search_newest"="{START_ID}"',
        '"search_created"="01-01-2027|00:00:00"', '"search_updated"="01-01-2027|00:00:00"']
    with open(os.path.join(home, "settings.reg"), "wb") as f:
        f.write(b"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n")
        for v in values:
            f.write(v.encode("latin-1") + b"\r\n")
        f.write(b"\r\n")
    with open(os.path.join(home, "filters.dat"), "wb") as f:
        f.write(FILTERS)
    with open(os.path.join(home, "torrents.db"), "wb") as f:
        f.write(f"{START_ID}\t1\tTV\t1\tStart\tStart.torrent\r\n".encode("latin-1"))


# --- the state checks ---------------------------------------------------------------------

REG_VALUE = re.compile(rb'^"((?:[^"\\]|\\.)*)"=(?:"((?:[^"\\]|\\.)*)"|dword:[0-9a-f]{8}|'
                       rb'hex(?:\([0-9a-f]+\))?:[0-9a-f,]*)$')


def parse_settings(path):
    data = open(path, "rb").read()
    if not data.startswith(b"REGEDIT4\r\n") or not data.endswith(b"\r\n"):
        raise Failure("settings.reg does not begin with REGEDIT4 or end with CR LF")
    values = {}
    section = None
    for line in data[:-2].split(b"\r\n")[1:]:
        if not line:
            continue
        if line.startswith(b"[") and line.endswith(b"]"):
            section = line[1:-1]
            continue
        m = REG_VALUE.match(line)
        if not m or section is None:
            raise Failure(f"settings.reg: line not understood: {line[:80]!r}")
        if section.lower() == b"hkey_current_user\\software\\pollwick" and m.group(2) is not None:
            text = re.sub(rb"\\(.)", rb"\1", m.group(2)).decode("latin-1")
            values[m.group(1).decode("latin-1").lower()] = text
    return values


def number(values, name):
    text = values.get(name, "")
    if not text.isdigit():
        raise Failure(f"settings.reg: {name} is {text!r}, not a number")
    return int(text)


def parse_torrents_db(path):
    data = open(path, "rb").read()
    if data and not data.endswith(b"\r\n"):
        raise Failure("torrents.db does not end with CR LF")
    last = 0
    for n, line in enumerate(data.split(b"\r\n")[:-1], 1):
        fields = line.split(b"\t")
        if len(fields) != 6 or not fields[0].isdigit():
            raise Failure(f"torrents.db line {n} is not six fields with a numeric id: {line!r}")
        if int(fields[0]) <= last:
            raise Failure(f"torrents.db line {n}: id {int(fields[0])} after {last}")
        last = int(fields[0])
    return last


def check_state(home):
    values = parse_settings(os.path.join(home, "settings.reg"))
    if open(os.path.join(home, "filters.dat"), "rb").read() != FILTERS:
        raise Failure("filters.dat changed")
    categories = os.path.join(home, "categories.db")
    if os.path.exists(categories):
        data = open(categories, "rb").read()
        if not data or b"\r" in data or b"\n" in data:
            raise Failure(f"categories.db does not parse: {data[:80]!r}")
    last = parse_torrents_db(os.path.join(home, "torrents.db"))
    newest = number(values, "search_newest")
    if newest != last:
        raise Failure(f"search_newest {newest} but torrents.db ends at {last}")
    if number(values, "lastalerted") > number(values, "lastparsed"):
        raise Failure(f"lastalerted {values['lastalerted']} > lastparsed {values['lastparsed']}")
    strays = []
    torrents = 0
    for name in os.listdir(home):
        path = os.path.join(home, name)
        if name == "torrents" and os.path.isdir(path):
            for t in os.listdir(path):
                if not (t.endswith(".torrent") and os.path.isfile(os.path.join(path, t))):
                    strays.append("torrents/" + t)
                    continue
                with open(os.path.join(path, t), "rb") as f:
                    if f.read(1) != b"d":
                        raise Failure(f"{t} is empty or not a torrent file")
                torrents += 1
        elif name in KEPT_SOCKETS and stat.S_ISSOCK(os.lstat(path).st_mode):
            continue
        elif not (name in KEPT_FILES and os.path.isfile(path)):
            strays.append(name)
    if strays:
        raise Failure("files left behind: " + ", ".join(sorted(strays)))
    return torrents


# --- running the programs ---------------------------------------------------------------------

class Log:
    """Follows the program's debug-log mirror file."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.pending = b""
        self.checks = 0  # finished checks seen so far

    def lines(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except FileNotFoundError:
            return []
        self.offset += len(data)
        data = self.pending + data
        parts = data.split(b"\n")
        self.pending = parts.pop()
        lines = [p.decode("latin-1") for p in parts]
        self.checks += sum(1 for line in lines if CHECK_END.search(line))
        return lines


def start_site(build, workdir):
    out = open(os.path.join(workdir, "sitesim.out"), "w+")
    site = subprocess.Popen([os.path.join(build, "tools/sitesim/pollwick-sitesim"), "--port", "0",
                             "--rate", "1"], stdout=out,
                            stderr=open(os.path.join(workdir, "sitesim.log"), "w"))
    for _ in range(200):
        out.seek(0)
        m = re.search(r"http://127\.0\.0\.1:\d+", out.read())
        if m:
            return site, m.group(0)
        time.sleep(0.05)
    site.kill()
    raise Failure("the site simulator did not start")


def start_program(build, home, url, log_path):
    env = dict(os.environ, POLLWICK_HOME=home, POLLWICK_SITE_URL=url, POLLWICK_LOG=log_path,
               QT_QPA_PLATFORM="offscreen", QT_LOGGING_RULES="qt.qpa.*=false")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return subprocess.Popen([os.path.join(build, "src/app/pollwick")], env=env,
                            stdout=subprocess.DEVNULL,
                            stderr=open(log_path + ".stderr", "ab"))


def wait_for(log, process, pattern, timeout, poll=0.002):
    """Waits for the next log line matching pattern; returns it, or None on time-out."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        for line in log.lines():
            if pattern.search(line):
                return line
        if process.poll() is not None:
            raise Failure(f"the program ended by itself with code {process.returncode}")
        time.sleep(poll)
    return None


def kill(process):
    process.send_signal(signal.SIGKILL)
    process.wait()


def kill_run(args, build, workdir, url, rng):
    home = os.path.join(workdir, "kill-home")
    prepare_home(home, args.interval)
    log_path = os.path.join(workdir, "kill-log.txt")
    log = Log(log_path)
    survived = 0
    print(f"kill run: {args.kills} kills, a check every {args.interval} s; {load()}", flush=True)
    started = time.monotonic()
    for n in range(args.kills + 1):
        program = start_program(build, home, url, log_path)
        try:
            first = wait_for(log, program, CHECK_END, 90)
            if first is None:
                raise Failure("no check finished within 90 s of the start")
            time.sleep(0.3)  # its values are stored in the same turn of the event loop
            downloads = check_state(home)
            if n > 0:
                survived += 1
                print(f"  restart {n}: first check finished, state consistent "
                      f"({downloads} .torrent files)", flush=True)
        except Failure as e:
            print(f"  restart {n}: FAILED: {e}", flush=True)
            kill(program)
            if n == 0:
                raise
            continue
        if n == args.kills:
            kill(program)
            break
        if rng.random() < 0.5:
            delay = rng.uniform(0, 2 * args.interval)
            deadline = time.monotonic() + delay
            while time.monotonic() < deadline:
                log.lines()
                time.sleep(0.01)
            how = f"at a random moment ({delay:.1f} s later)"
        else:
            target = rng.choice(WRITE_LINES)
            line = wait_for(log, program, re.compile(r"\) " + re.escape(target)),
                            3 * args.interval + 30, poll=0.0005)
            how = ("just after '" + line.split(") ", 1)[1] + "'" if line else
                   f"after waiting {3 * args.interval + 30} s for '{target}' in vain")
        kill(program)
        log.lines()
        print(f"kill {n + 1}: {how}", flush=True)
    minutes = (time.monotonic() - started) / 60
    print(f"kill run: {survived} of {args.kills} kills survived with consistent state, "
          f"{log.checks} checks run in {minutes:.1f} min; {load()}", flush=True)
    return survived == args.kills


def vmrss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise Failure("no VmRSS")


def memory_run(args, build, workdir, url):
    home = os.path.join(workdir, "memory-home")
    prepare_home(home, args.interval)
    log_path = os.path.join(workdir, "memory-log.txt")
    log = Log(log_path)
    program = start_program(build, home, url, log_path)
    print(f"memory run: {args.minutes} min, VmRSS every {args.sample} s; {load()}", flush=True)
    samples = []
    started = time.monotonic()
    try:
        while True:
            elapsed = time.monotonic() - started
            log.lines()
            if program.poll() is not None:
                raise Failure(f"the program ended by itself with code {program.returncode}")
            rss = vmrss_kib(program.pid)
            samples.append((elapsed, rss))
            print(f"  {elapsed / 60:5.1f} min  VmRSS {rss} KiB  checks {log.checks}  {load()}",
                  flush=True)
            if elapsed >= args.minutes * 60:
                break
            time.sleep(max(0.0, started + len(samples) * args.sample - time.monotonic()))
        check_state(home)
    finally:
        kill(program)
    settled = [rss for t, rss in samples if t >= args.settle * 60]
    if not settled:
        raise Failure("the run was shorter than the settling time")
    spread = max(settled) - min(settled)
    flat = spread <= args.spread * 1024
    print(f"memory run: {log.checks} checks; VmRSS first {samples[0][1]} KiB, at "
          f"{args.settle} min {settled[0]} KiB, after that min {min(settled)} max {max(settled)} "
          f"last {settled[-1]} KiB: spread {spread} KiB, "
          f"{'flat' if flat else 'NOT flat'} (allowed {args.spread} MiB); {load()}", flush=True)
    return flat


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, help="the build folder")
    parser.add_argument("--kills", type=int, default=30, help="SIGKILLs in the kill run (30)")
    parser.add_argument("--minutes", type=float, default=20,
                        help="length of the memory run in minutes (20; 0 skips it)")
    parser.add_argument("--interval", type=int, default=10, help="seconds between checks (10)")
    parser.add_argument("--sample", type=float, default=30, help="seconds between samples (30)")
    parser.add_argument("--settle", type=float, default=5,
                        help="minutes before the memory must stay flat (5)")
    parser.add_argument("--spread", type=float, default=2,
                        help="MiB the memory may vary after settling (2)")
    parser.add_argument("--seed", type=int, default=None, help="seed of the kill moments")
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    build = os.path.abspath(args.build)
    workdir = tempfile.mkdtemp(prefix="pollwick-soak-")
    print(f"soak: seed {seed}, work folder {workdir}; {os.cpu_count()} cores, {load()}",
          flush=True)
    site, url = start_site(build, workdir)
    ok = True
    try:
        if args.kills > 0:
            ok = kill_run(args, build, workdir, url, rng) and ok
        if args.minutes > 0:
            ok = memory_run(args, build, workdir, url) and ok
    except Failure as e:
        print(f"soak: FAILED: {e}", flush=True)
        ok = False
    finally:
        site.kill()
        site.wait()
    if ok:
        shutil.rmtree(workdir, ignore_errors=True)
    else:
        print(f"soak: the program folders and logs are kept in {workdir}")
    print("soak: passed" if ok else "soak: FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
