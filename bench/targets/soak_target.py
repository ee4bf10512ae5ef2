#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Velquin for the soak benchmark (GTK 3). In "prompts" mode it shows a prompt every PERIOD seconds, in
turn as a window of its own and inside a chat window; every fourth is risky. A harmless prompt fades out
250 ms after its Allow is pressed, its button still there meanwhile, as real ones do; a risky one is
answered by the user (it closes) after 5 s. In "flood" mode it adds and removes 20 labels every 50 ms in
its chat window and shows no prompt. Prints "ready <pid>", then "shown\t<title>\t<risky|harmless>" and
"pressed\t<label>\t<title>".

    soak_target.py prompts|flood PERIOD"""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402

mode = sys.argv[1]
period = float(sys.argv[2])
chat = Gtk.Window(title="Chat")
column = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
for i in range(200):
    column.add(Gtk.Label(label="earlier message %d" % i))
scroll = Gtk.ScrolledWindow()
scroll.add(column)
chat.add(scroll)
chat.set_default_size(500, 400)
chat.show_all()
count = 0


def prompt(number):
    risky = number % 4 == 3
    title = "Prompt %d" % number
    text = "Velquin wants to run: rm -rf build-%d/" % number if risky else "Velquin wants to read notes-%d.txt" % number
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    box.add(Gtk.Label(label=text))
    allow = Gtk.Button(label="Allow")
    box.add(allow)
    inline = number % 2 == 1
    window = None
    if inline:
        column.add(box)
    else:
        window = Gtk.Window(title=title)
        window.add(box)

    def close():
        if window is not None:
            window.destroy()
        else:
            column.remove(box)
        return False

    def pressed(_button):
        print("pressed\tAllow\t%s" % title, flush=True)
        GLib.timeout_add(250, close)  # fading out, the button still there

    allow.connect("clicked", pressed)
    (window or box).show_all()
    print("shown\t%s\t%s" % (title, "risky" if risky else "harmless"), flush=True)
    if risky:
        GLib.timeout_add(5000, close)  # the user answered


def next_prompt():
    global count
    prompt(count)
    count += 1
    return True


def flood():
    for i in range(20):
        column.add(Gtk.Label(label="streamed %d" % i))
    children = column.get_children()
    for child in children[200:220]:
        column.remove(child)
    column.show_all()
    return True


if mode == "flood":
    GLib.timeout_add(50, flood)
else:
    GLib.timeout_add(int(period * 1000), next_prompt)
GLib.idle_add(lambda: print("ready %d" % os.getpid(), flush=True) and False)
Gtk.main()
