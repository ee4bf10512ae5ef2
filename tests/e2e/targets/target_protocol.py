# SPDX-License-Identifier: MIT
"""What every test target prints, so that the tests read them all alike: "prompt\t<name>\t<window>\t
<fragment>" per prompt it shows (the fragment safe mode must name, empty for a harmless prompt),
"ready <pid>" once its windows are up (the tests then wait for its registration with the
accessibility registry), then "pressed\t<label>\t<name>" per press."""
import os


def announce_prompt(name, window, fragment):
    print("prompt\t%s\t%s\t%s" % (name, window, fragment), flush=True)


def announce_ready(pid=None):
    print("ready %d" % (pid or os.getpid()), flush=True)


def report_press(label, name):
    print("pressed\t%s\t%s" % (label, name), flush=True)
