#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""A GTK 3 chat window for the watch benchmarks: FILLERS lines of conversation in rows of ten, and a
prompt (question, Deny, Allow) added inside the conversation at each of the given times. Prints
"ready <pid>", then "shown\t<title>" as each prompt appears and "pressed\t<label>\t<title>" as it is
answered.

    gtk_chat.py FILLERS [SECONDS,SECONDS,...]"""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402

fillers = int(sys.argv[1])
times = [float(t) for t in sys.argv[2].split(",")] if len(sys.argv) > 2 and sys.argv[2] else []
window = Gtk.Window(title="Chat")
column = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
row = None
for i in range(fillers):
    if i % 10 == 0:
        row = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
        column.add(row)
    row.add(Gtk.Label(label="filler %d" % i))
scroll = Gtk.ScrolledWindow()
scroll.add(column)
window.add(scroll)
window.set_default_size(600, 400)
window.show_all()


def add_prompt(number):
    title = "Prompt %d" % number
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    box.add(Gtk.Label(label="Velquin wants to read notes %d" % number))
    buttons = Gtk.Box()
    allow = Gtk.Button(label="Allow")

    def pressed(_button):
        print("pressed\tAllow\t%s" % title, flush=True)
        column.remove(box)

    allow.connect("clicked", pressed)
    buttons.add(Gtk.Button(label="Deny"))
    buttons.add(allow)
    box.add(buttons)
    column.add(box)
    box.show_all()
    print("shown\t%s" % title, flush=True)
    return False


for number, seconds in enumerate(times):
    GLib.timeout_add(int(seconds * 1000), add_prompt, number)
GLib.idle_add(lambda: print("ready %d" % os.getpid(), flush=True) and False)
Gtk.main()
