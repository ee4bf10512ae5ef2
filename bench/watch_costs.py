#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""What watching costs, side by side in one run, on a chat window of 2000 labels (rows of ten) in each of
three toolkits: GTK 3 with prompts as new windows (the stand-in) and inside the conversation, Qt 6 and
Chromium with prompts inside the conversation:
  - a fresh `ondrel --once --dry-run` process, against the pyatspi walk of the same window;
  - `ondrel --headless --interval 1.0` for 20 s with nothing to press: CPU of Ondrel and of Velquin;
  - prompts appearing while `ondrel --headless --interval 1.0` runs: time until each is pressed.
Each build given is measured in turn, in the same session, so that their figures stand side by side.
Run inside a private desktop session (bench/watch-costs.sh does that).

    watch_costs.py BUILD_DIR[,BUILD_DIR...] [SECONDS_IDLE]"""
import os
import select
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
BUILDS = [os.path.abspath(build) for build in sys.argv[1].split(",")]
BUILD = BUILDS[0]  # whose stand-in shows the GTK windows
IDLE_SECONDS = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0
FRESH_ONLY = len(sys.argv) > 3 and sys.argv[3] == "fresh"  # the fresh pass alone, in a minute
PYTHON = "/usr/bin/python3"
FILLERS = 2000
PROMPT_TIMES = [3, 5, 7, 9, 11]
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pids):
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/stat" % pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total / TICKS


def group_pids(leader):
    """The target's processes: Chromium's browser has renderers beside it."""
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.getpgid(int(entry)) == leader:
                    found.append(int(entry))
            except OSError:
                pass
    return found


class Target:
    """A target started in its own process group, read line by line with arrival times."""

    def __init__(self, command, environment=None):
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, start_new_session=True,
                                        env=dict(os.environ, **(environment or {})))
        self.pending = b""
        self.lines = []
        self.pid = None
        while self.pid is None:
            line = self.read_line(60)
            if line is None:
                raise RuntimeError("target never ready: %s" % command)
            if line.startswith("ready "):
                self.pid = int(line.split()[1])
        time.sleep(1.5)  # registered with the accessibility registry by then

    def read_line(self, timeout):
        """The next line, stamped with the time it came; None when none came in time."""
        deadline = time.monotonic() + timeout
        while b"\n" not in self.pending:
            ready, _, _ = select.select([self.process.stdout], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(self.process.stdout.fileno(), 65536) if ready else b""
            if not chunk:
                return None
            self.pending += chunk
        raw, self.pending = self.pending.split(b"\n", 1)
        line = raw.decode("utf-8", "replace")
        self.lines.append((time.monotonic(), line))
        return line

    def drain(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.read_line(max(0.0, deadline - time.monotonic()))

    def stop(self):
        os.killpg(self.process.pid, 9)
        self.process.wait()


def gtk(times):
    scenario = tempfile.NamedTemporaryFile("w", suffix=".scenario", delete=False)
    scenario.write("window Chat\n  fillers %d\n" % FILLERS)
    for number, seconds in enumerate(times):
        scenario.write("window-later %s Prompt %d\n  text Velquin wants to read notes %d\n  button Allow\n"
                       % (seconds, number, number))
    scenario.close()
    return Target([os.path.join(BUILD, "tests/velquin-standin"), scenario.name]), {}


def launched_by_gio(script, times):
    """A Python target started as GIO starts Velquin's desktop entry: that is what identifies it."""
    command = ["/bin/sh", "-c", 'export GIO_LAUNCHED_DESKTOP_FILE_PID=$$; exec "$0" "$@"', PYTHON,
               os.path.join(HERE, "targets", script), str(FILLERS), ",".join(map(str, times))]
    return Target(command, {"GIO_LAUNCHED_DESKTOP_FILE": "/usr/share/applications/dev.velquin.desktop.desktop"}), {}


def gtk_inline(times):
    return launched_by_gio("gtk_chat.py", times)


def qt(times):
    return launched_by_gio("qt_chat.py", times)


def chromium(times):
    data = tempfile.mkdtemp(prefix="ondrel-bench-data-")
    os.makedirs(os.path.join(data, "applications"))
    with open(os.path.join(data, "applications/dev.velquin.desktop.desktop"), "w") as entry:
        entry.write("[Desktop Entry]\nType=Application\nName=Velquin\nExec=/usr/lib/chromium/chromium %U\n")
    command = [PYTHON, os.path.join(HERE, "targets/chromium_chat.py"), str(FILLERS), ",".join(map(str, times))]
    return Target(command), {"XDG_DATA_HOME": data}


ONDREL = os.path.join(BUILD, "app/ondrel")


def ondrel(arguments, environment):
    return [ONDREL] + arguments, dict(os.environ, HOME=tempfile.mkdtemp(), **environment)


def fresh_pass(start):
    target, environment = start([0])  # one prompt, shown at once
    # Both sides meet the target settled: a toolkit goes on laying out a large window for a while after
    # it first shows, and the walk below comes last.
    time.sleep(2.0)
    command, env = ondrel(["--once", "--dry-run"], environment)

    def finds():
        printed = subprocess.run(command, env=env, capture_output=True, text=True, check=False).stdout
        return 'would press "Allow"' in printed

    # A web runtime builds its pages' accessibility only once asked, and takes a while: unmeasured passes
    # until one finds the prompt.
    deadline = time.monotonic() + 20
    while not finds():
        if time.monotonic() > deadline:
            raise RuntimeError("no fresh pass found the prompt")
        time.sleep(0.5)
    walls = []
    for _ in range(9):
        began = time.monotonic()
        if not finds():
            raise RuntimeError("a fresh pass missed the prompt")
        walls.append(time.monotonic() - began)
    walk = subprocess.run([PYTHON, os.path.join(HERE, "pyatspi_walk.py"), "3"], capture_output=True, text=True,
                          env=dict(os.environ, ONDREL_WALK_ANY="1")).stdout.strip()
    target.stop()
    return statistics.median(walls), walk


def idle_cost(start):
    target, environment = start([])
    command, env = ondrel(["--headless", "--interval", "1.0", "--quiet"], environment)
    watcher = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL)
    time.sleep(3)  # past the first passes
    target_pids = group_pids(target.process.pid)
    before = cpu_seconds([watcher.pid]), cpu_seconds(target_pids)
    time.sleep(IDLE_SECONDS)
    after = cpu_seconds([watcher.pid]), cpu_seconds(target_pids)
    watcher.kill()
    watcher.wait()
    target.stop()
    return [100.0 * (a - b) / IDLE_SECONDS for a, b in zip(after, before)]


def latencies(start):
    target, environment = start(PROMPT_TIMES)
    command, env = ondrel(["--headless", "--interval", "1.0", "--quiet"], environment)
    watcher = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL)
    target.drain(max(PROMPT_TIMES) + 3)
    watcher.kill()
    watcher.wait()
    target.stop()
    shown = {line.split("\t")[1]: at for at, line in target.lines if line.startswith("shown\t")}
    pressed = {line.split("\t")[2]: at for at, line in target.lines if line.startswith("pressed\t")}
    delays = [1000.0 * (pressed[title] - shown[title]) for title in shown if title in pressed]
    return delays, len(shown)


def main():
    global ONDREL
    for build in BUILDS:
        ONDREL = os.path.join(build, "app/ondrel")
        print("\n" + build)
        measure()


def measure():
    print("%-15s %-34s %-26s %s" % ("target", "fresh --once --dry-run", "idle CPU (Ondrel, Velquin)",
                                    "prompt to press, median (max) of shown"))
    for name, start in (("GTK 3 window", gtk), ("GTK 3 inline", gtk_inline), ("Qt 6 inline", qt),
                        ("Chromium inline", chromium)):
        once, walk = fresh_pass(start)
        if FRESH_ONLY:
            print("%-15s %.0f ms; %s" % (name, 1000 * once, walk), flush=True)
            continue
        ondrel_cpu, target_cpu = idle_cost(start)
        delays, shown = latencies(start)
        press = ("%.0f ms (%.0f ms), %d/%d pressed" % (statistics.median(delays), max(delays), len(delays), shown)
                 if delays else "none of %d pressed" % shown)
        print("%-15s %-34s %-26s %s" % (name, "%.0f ms; %s" % (1000 * once, walk),
                                       "%.2f%%, %.2f%%" % (ondrel_cpu, target_cpu), press), flush=True)


main()
