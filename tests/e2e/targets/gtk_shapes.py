#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Every prompt shape of prompt_shapes.py in GTK 3 or GTK 4, one window per twin (a Gtk.Dialog or
Gtk.MessageDialog for dialogs and messages), beside a main window without a prompt.

    gtk_shapes.py 3|4

Prints "prompt\t<name>\t<window>\t<fragment>" per prompt, "ready <pid>" once every window is shown,
then "pressed\t<label>\t<name>" per press; an answered prompt goes away, its window with it when it
was the window's only one."""
import sys

import gi

gi.require_version("Gtk", sys.argv[1] + ".0")
from gi.repository import GLib, Gtk  # noqa: E402

from prompt_shapes import twins  # noqa: E402
from target_protocol import announce_prompt, announce_ready, report_press  # noqa: E402

GTK4 = Gtk.get_major_version() == 4


def add(parent, child):
    if not GTK4:
        parent.add(child)
    elif isinstance(parent, (Gtk.Box, Gtk.ListBox)):
        parent.append(child)
    else:
        parent.set_child(child)


def remove(widget):
    if GTK4:
        widget.get_parent().remove(widget)
    else:
        widget.destroy()


def column(children=()):
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=4)
    for child in children:
        add(box, child)
    return box


def label(text, markup=False):
    return Gtk.Label(label=text, use_markup=markup, wrap=True, max_width_chars=70, xalign=0, selectable=markup)


class Window:
    """One twin's widgets; a press reports the prompt's name and takes the prompt away."""

    def __init__(self, twin, top):
        self.twin, self.top = twin, top

    def answered(self, index, prompt):
        report_press("Allow", self.twin.prompts[index][0])
        if len(self.twin.prompts) == 1:
            self.top.destroy()
        else:
            remove(prompt)

    def allow(self, index, prompt):
        button = Gtk.Button(label="Allow")
        button.connect("clicked", lambda _: self.answered(index, prompt))
        return button

    def widgets(self, nodes, prompt=None):
        return [self.widget(node, prompt) for node in nodes]

    def widget(self, node, prompt):
        kind = node[0]
        if kind == "text":
            return label(node[1])
        if kind == "heading":
            return label("<b><big>%s</big></b>" % GLib.markup_escape_text(node[1]), True)
        if kind == "rich":
            return label(node[1].replace("<code>", "<tt>").replace("</code>", "</tt>"), True)
        if kind == "code":
            return label("<tt>%s</tt>" % GLib.markup_escape_text(node[1]), True)
        if kind == "field":
            entry = Gtk.Entry(text=node[2], editable=node[3], width_chars=40)
            if node[1] is None:
                return entry
            caption = Gtk.Label.new_with_mnemonic(node[1])
            caption.set_mnemonic_widget(entry)
            row = Gtk.Box(spacing=6)
            add(row, caption)
            add(row, entry)
            return row
        if kind == "check":
            return Gtk.CheckButton(label=node[1], active=True)
        if kind == "alias":
            shown = label(node[2])
            shown.get_accessible().set_name(node[1])  # GTK 3 alone: GTK 4's labels show nothing but their name
            return shown
        if kind == "doc":
            view = Gtk.TextView(editable=False, wrap_mode=Gtk.WrapMode.WORD)
            buffer = view.get_buffer()
            buffer.insert_markup(buffer.get_end_iter(), node[1], -1)
            return view
        if kind == "area":
            view = Gtk.TextView(editable=node[2], monospace=True, wrap_mode=Gtk.WrapMode.WORD)
            view.get_buffer().set_text(node[1])
            return view
        if kind == "choice":
            if GTK4:
                return Gtk.DropDown.new_from_strings([node[1]])
            choice = Gtk.ComboBoxText()
            choice.append_text(node[1])
            choice.set_active(0)
            return choice
        if kind == "list":
            items = Gtk.ListBox()
            for item in node[1]:
                add(items, label(item))
            return items
        if kind == "table":
            grid = Gtk.Grid(column_spacing=12)
            cells = [(x, y, cell) for y, row in enumerate(node[1]) for x, cell in enumerate(row)]
            for x, y, cell in sorted(cells, key=lambda c: c[:2]) if len(node) > 2 and node[2] else cells:
                grid.attach(label(cell) if isinstance(cell, str) else self.widget(cell, prompt), x, y, 1, 1)
            return grid
        if kind == "frame":
            frame = Gtk.Frame(label=node[1])
            add(frame, column(self.widgets(node[2], prompt)))
            return frame
        if kind == "named":
            group = column(self.widgets(node[2], prompt))
            if GTK4:
                group.update_property([Gtk.AccessibleProperty.LABEL], [node[1]])
            else:
                group.get_accessible().set_name(node[1])
            return group
        if kind == "box":
            return column(self.widgets(node[1], prompt))
        if kind == "deep":
            inner = column(self.widgets(node[2], prompt))
            for _ in range(node[1] - 1):
                inner = column([inner])
            return inner
        if kind == "rows":
            rows = Gtk.ListBox()
            for row in node[1]:
                add(rows, column(self.widgets(row, prompt)))
            return rows
        if kind == "prompt":
            box = column()
            for child in self.widgets(node[1], box):
                add(box, child)
            return box
        if kind == "buttons":
            row = Gtk.Box(spacing=6)
            add(row, Gtk.Button(label="Deny"))
            allow = self.allow(node[-1], prompt or row)
            if len(node) > 2:
                allow.set_tooltip_text(node[1])
            add(row, allow)
            return row
        if kind == "section":
            section = Gtk.Expander(label=node[1], expanded=True)
            add(section, column(self.widgets(node[2], prompt)))
            return section
        if kind == "tab":
            tabs = Gtk.Notebook()
            tabs.append_page(column(self.widgets(node[2], prompt)), Gtk.Label(label=node[1]))
            return tabs
        if kind == "banner":
            bar = Gtk.InfoBar()
            if GTK4:
                bar.add_child(label(node[1]))
            else:
                bar.get_content_area().add(label(node[1]))
            bar.add_button("Deny", Gtk.ResponseType.REJECT)
            bar.add_button("Allow", Gtk.ResponseType.ACCEPT)
            bar.connect("response", lambda _, response: response == Gtk.ResponseType.ACCEPT and
                        self.answered(node[2], prompt or bar))
            return bar
        raise ValueError(kind)


def show(twin, application, main):
    if twin.kind == "window":
        top = Gtk.ApplicationWindow(application=application, title=twin.title)
        window = Window(twin, top)
        scroll = Gtk.ScrolledWindow()
        add(scroll, column(window.widgets(twin.content)))
        add(top, scroll)
    else:
        if twin.kind == "dialog":
            top = Gtk.Dialog(transient_for=main, title=twin.title)
            window = Window(twin, top)
            for child in window.widgets(twin.content):
                add(top.get_content_area(), child)
        else:
            top = Gtk.MessageDialog(transient_for=main, message_type=Gtk.MessageType.QUESTION,
                                    text=twin.content[0], secondary_text=twin.content[1])
            window = Window(twin, top)
            top.set_title(twin.title)
        top.add_button("Deny", Gtk.ResponseType.REJECT)
        top.add_button("Allow", Gtk.ResponseType.ACCEPT)
        top.connect("response", lambda _, response: response == Gtk.ResponseType.ACCEPT and window.answered(0, top))
    top.set_default_size(560, 420)
    if GTK4:
        top.present()
    else:
        top.show_all()
    # GTK 3 names a message box after its kind, whatever its title.
    title = "Question" if twin.kind == "message" and not GTK4 else twin.title
    for name, fragment in twin.prompts:
        announce_prompt(name, title, fragment)


def on_activate(application):
    main = Gtk.ApplicationWindow(application=application, title="Velquin")
    add(main, label("A conversation with Velquin."))
    if GTK4:
        main.present()
    else:
        main.show_all()
    for twin in twins("gtk%d" % Gtk.get_major_version()):
        show(twin, application, main)
    announce_ready()


application = Gtk.Application(application_id="dev.velquin.desktop")
application.connect("activate", on_activate)
application.run([sys.argv[0]])
