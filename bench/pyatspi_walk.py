#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The walk a user would script with pyatspi: every Allow push button in Velquin's windows, found by
role and name. Prints the seconds per walk (best of the repetitions) and the buttons found. With
ONDREL_WALK_ANY set, every application with an Allow button counts, whatever its name: Qt and
Chromium do not name themselves after Velquin."""
import os
import sys
import time

import pyatspi

APP_ID = "dev.velquin.desktop"


def find_buttons(node, found, depth=0):
    if depth > 60:
        return
    if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name.strip().lower() == "allow":
        found.append(node)
    for child in node:
        if child is not None:
            find_buttons(child, found, depth + 1)


def walk():
    found = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and (app.name == APP_ID or os.environ.get("ONDREL_WALK_ANY")):
            for window in app:
                find_buttons(window, found)
    return found


def main():
    repetitions = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    best = None
    for _ in range(repetitions):
        start = time.perf_counter()
        found = walk()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    print(f"pyatspi walk: {best * 1000:.1f} ms, {len(found)} Allow button(s)")


if __name__ == "__main__":
    main()
