#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""A GTK 4 application with two prompts: one inline in its main window, one in a Gtk.MessageDialog.

    gtk4_prompts.py [--app-id ID] PROMPT_TEXT

The window's prompt reads "Velquin wants to read notes.txt"; the dialog's reads PROMPT_TEXT.
Prints "ready <pid>", then "pressed\t<label>\t<window>" per press; an answered prompt goes away."""
import sys

import gi

gi.require_version("Gtk", "4.0")
from gi.repository import Gtk  # noqa: E402

from target_protocol import announce_ready, parse_arguments, report_press  # noqa: E402

options = parse_arguments(sys.argv[1:])
CONVERSATION = " ".join("Earlier message number %d in a long conversation with Velquin." % i for i in range(20))


def on_activate(application):
    window = Gtk.ApplicationWindow(application=application, title="Chat")
    column = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=6)
    history = Gtk.Label(label=CONVERSATION, wrap=True)
    column.append(history)
    prompt = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    prompt.append(Gtk.Label(label="Velquin wants to read notes.txt"))
    allow = Gtk.Button(label="Allow")

    def on_allow(_button):
        report_press("Allow", "Chat")
        column.remove(prompt)

    allow.connect("clicked", on_allow)
    prompt.append(allow)
    column.append(prompt)
    window.set_child(column)
    window.present()

    dialog = Gtk.MessageDialog(transient_for=window, modal=False, message_type=Gtk.MessageType.QUESTION,
                               text=options.text)
    dialog.set_title("Prompt")
    dialog.add_button("Deny", Gtk.ResponseType.REJECT)
    dialog.add_button("Allow", Gtk.ResponseType.ACCEPT)
    labels = {Gtk.ResponseType.REJECT: "Deny", Gtk.ResponseType.ACCEPT: "Allow"}

    def on_response(answered, response):
        if response in labels:
            report_press(labels[response], "Prompt")
        answered.destroy()

    dialog.connect("response", on_response)
    dialog.present()
    announce_ready()


application = Gtk.Application(application_id=options.app_id)
application.connect("activate", on_activate)
application.run([sys.argv[0]])
