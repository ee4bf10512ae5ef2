# SPDX-License-Identifier: MIT
"""What every test target prints, so that the tests read them all alike: "ready <pid>" once its
windows are up (the tests then wait for its registration with the accessibility registry), then
"pressed\t<label>\t<window>" per press."""
import argparse
import os
import sys


def parse_arguments(arguments):
    parser = argparse.ArgumentParser()
    parser.add_argument("--app-id", default="dev.velquin.desktop")
    parser.add_argument("text", help="the prompt's text")
    return parser.parse_args(arguments)


def announce_ready(pid=None):
    print("ready %d" % (pid or os.getpid()), flush=True)


def report_press(label, window):
    print("pressed\t%s\t%s" % (label, window), flush=True)
    sys.stdout.flush()
