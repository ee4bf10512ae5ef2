#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""A GTK 3 application whose prompt is a Gtk.MessageDialog over its main window.

    gtk3_message_dialog.py [--app-id ID] PROMPT_TEXT

Prints "ready <pid>" once both windows are shown, then "pressed\t<label>\t<window>" for every
answer; an answered dialog closes, as a real prompt does."""
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402

from target_protocol import announce_ready, parse_arguments, report_press  # noqa: E402

options = parse_arguments(sys.argv[1:])


def on_activate(application):
    window = Gtk.ApplicationWindow(application=application, title="Velquin")
    window.add(Gtk.Label(label="A conversation with Velquin."))
    window.show_all()
    dialog = Gtk.MessageDialog(transient_for=window, modal=False, message_type=Gtk.MessageType.QUESTION,
                               text="Velquin asks for permission")
    dialog.format_secondary_text(options.text)
    dialog.add_button("Deny", Gtk.ResponseType.REJECT)
    dialog.add_button("Allow", Gtk.ResponseType.ACCEPT)
    labels = {Gtk.ResponseType.REJECT: "Deny", Gtk.ResponseType.ACCEPT: "Allow"}

    def on_response(answered, response):
        if response in labels:
            report_press(labels[response], "Question")
        answered.destroy()

    dialog.connect("response", on_response)
    dialog.show_all()
    announce_ready()


application = Gtk.Application(application_id=options.app_id, flags=0)
application.connect("activate", on_activate)
application.run([sys.argv[0]])
