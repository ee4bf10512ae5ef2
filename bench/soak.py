#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""A day's watching, compressed: Velquin showing a prompt every 1.5 s for MINUTES minutes (some fading out
after their answer, every fourth risky), watched by `ondrel --headless` and then by the tray application;
then a flood of changes (Velquin adding and removing 400 labels a second) under `--headless`. Prints, per
watcher: presses per harmless prompt, SKIP lines against risky prompts, RSS, descriptors and threads at
each minute, and the CPU of both sides. Run inside a private desktop session (bench/soak.sh does that).

    soak.py BUILD_DIR [MINUTES] [FLOOD_SECONDS]"""
import collections
import os
import select
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.abspath(sys.argv[1])
MINUTES = float(sys.argv[2]) if len(sys.argv) > 2 else 6.0
FLOOD_SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 60.0
TICKS = os.sysconf("SC_CLK_TCK")
LAUNCHED = "/usr/share/applications/dev.velquin.desktop.desktop"


def status(pid):
    """RSS in MB, open descriptors, threads of a process."""
    fields = {}
    with open("/proc/%d/status" % pid) as lines:
        for line in lines:
            key, _, value = line.partition(":")
            fields[key] = value.split()
    return int(fields["VmRSS"][0]) / 1024.0, len(os.listdir("/proc/%d/fd" % pid)), int(fields["Threads"][0])


def cpu_seconds(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS
    except OSError:
        return 0.0


class Lines:
    """A process's standard output, read as it comes."""

    def __init__(self, process):
        self.process = process
        self.pending = b""
        self.lines = []

    def read(self, seconds=0.0):
        deadline = time.monotonic() + seconds
        while True:
            ready, _, _ = select.select([self.process.stdout], [], [], max(0.0, deadline - time.monotonic()))
            if not ready:
                return
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                return
            self.pending += chunk
            *complete, self.pending = self.pending.split(b"\n")
            self.lines += [line.decode("utf-8", "replace") for line in complete]


def start_target(mode, period):
    command = ["/bin/sh", "-c", 'export GIO_LAUNCHED_DESKTOP_FILE_PID=$$; exec "$0" "$@"', "/usr/bin/python3",
               os.path.join(HERE, "targets/soak_target.py"), mode, str(period)]
    target = subprocess.Popen(command, stdout=subprocess.PIPE, start_new_session=True,
                              env=dict(os.environ, GIO_LAUNCHED_DESKTOP_FILE=LAUNCHED))
    out = Lines(target)
    while not any(line.startswith("ready ") for line in out.lines):
        out.read(1.0)
    pid = int(next(line for line in out.lines if line.startswith("ready ")).split()[1])
    time.sleep(1.5)  # registered with the accessibility registry by then
    return target, out, pid


def watch(arguments, seconds, mode="prompts"):
    target, target_out, target_pid = start_target(mode, 1.5)
    home = tempfile.mkdtemp(prefix="ondrel-soak-")
    watcher = subprocess.Popen([os.path.join(BUILD, "app/ondrel")] + arguments, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, env=dict(os.environ, HOME=home))
    watcher_out = Lines(watcher)
    samples = []
    began = time.monotonic()
    cpu_start = cpu_seconds(watcher.pid), cpu_seconds(target_pid)
    while time.monotonic() - began < seconds:
        target_out.read(0.5)
        watcher_out.read(0.0)
        minute = int((time.monotonic() - began) // 60)
        if len(samples) <= minute:
            samples.append(status(watcher.pid))
    cpu = cpu_seconds(watcher.pid) - cpu_start[0], cpu_seconds(target_pid) - cpu_start[1]
    samples.append(status(watcher.pid))
    watcher.terminate()
    watcher.wait()
    watcher_out.read(0.5)
    os.killpg(target.pid, 9)
    target.wait()
    return target_out.lines, watcher_out.lines, samples, [100.0 * c / seconds for c in cpu]


def report(name, target_lines, watcher_lines, samples, cpu):
    shown = {line.split("\t")[1]: line.split("\t")[2] for line in target_lines if line.startswith("shown\t")}
    presses = collections.Counter(line.split("\t")[2] for line in target_lines if line.startswith("pressed\t"))
    harmless = [title for title, kind in shown.items() if kind == "harmless"]
    risky = [title for title, kind in shown.items() if kind == "risky"]
    per_prompt = collections.Counter(presses[title] for title in harmless)
    skips = sum(1 for line in watcher_lines if "SKIP (safe mode)" in line)
    print("%s: %d harmless prompts, presses per prompt %s; risky pressed %d; %d risky prompts, %d SKIP lines"
          % (name, len(harmless), dict(sorted(per_prompt.items())), sum(presses[t] for t in risky), len(risky), skips))
    print("  RSS MB / descriptors / threads by minute: " +
          "  ".join("%.1f/%d/%d" % sample for sample in samples))
    print("  RSS growth from minute 1 to the end: %.2f MB;  CPU: Ondrel %.2f%%, Velquin %.2f%%"
          % (samples[-1][0] - samples[min(1, len(samples) - 1)][0], cpu[0], cpu[1]))


def main():
    seconds = MINUTES * 60
    report("--headless", *watch(["--headless", "--interval", "1.0"], seconds))
    report("tray application", *watch(["--interval", "1.0"], seconds))
    _, _, samples, cpu = watch(["--headless", "--interval", "1.0", "--quiet"], FLOOD_SECONDS, "flood")
    print("flood (400 labels added and 400 removed a second): CPU Ondrel %.1f%%, Velquin %.1f%%; RSS %.1f -> %.1f MB"
          % (cpu[0], cpu[1], samples[0][0], samples[-1][0]))


main()
