#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Every prompt shape of prompt_shapes.py in Qt 6 widgets, one top-level window per twin (a QDialog
or a QMessageBox with informative text for dialogs and messages), beside a main window.

    qt6_shapes.py

Qt names its accessibility application after the program, not an application id: a test makes this
one Velquin through its launch environment. Prints "prompt\t<name>\t<window>\t<fragment>" per prompt,
"ready <pid>", then "pressed\t<label>\t<name>" per press; an answered prompt goes away, its window
with it when it was the window's only one."""
import html
import sys

from PyQt6.QtCore import Qt, QTimer
from PyQt6.QtGui import QFontDatabase
from PyQt6.QtWidgets import (QApplication, QCheckBox, QComboBox, QDialog, QDialogButtonBox, QFrame, QGroupBox,
                             QHBoxLayout, QLabel, QLineEdit, QListWidget, QMainWindow, QMessageBox, QPlainTextEdit,
                             QPushButton, QScrollArea, QTabWidget, QTableWidget, QTableWidgetItem, QTextBrowser,
                             QTextEdit, QToolButton, QVBoxLayout, QWidget)

from prompt_shapes import twins
from target_protocol import announce_prompt, announce_ready, report_press


def container(children, layout=QVBoxLayout, widget=None):
    widget = widget or QWidget()
    lines = layout(widget)
    for child in children:
        lines.addWidget(child)
    return widget


def label(text, rich=False):
    shown = QLabel(text)
    shown.setWordWrap(True)
    shown.setTextFormat(Qt.TextFormat.RichText if rich else Qt.TextFormat.PlainText)
    return shown


class Window:
    """One twin's widgets; a press reports the prompt's name and takes the prompt away."""

    def __init__(self, twin):
        self.twin, self.top = twin, None

    def answered(self, index, prompt):
        report_press("Allow", self.twin.prompts[index][0])
        (self.top if len(self.twin.prompts) == 1 else prompt).deleteLater()

    def allow_row(self, index, prompt, message=None, tip=None):
        allow = QPushButton("Allow", toolTip=tip)
        row = container([QPushButton("Deny"), allow] if message is None else [message, QPushButton("Deny"), allow],
                        QHBoxLayout)
        allow.clicked.connect(lambda: self.answered(index, prompt or row))
        return row

    def widgets(self, nodes, prompt=None):
        return [self.widget(node, prompt) for node in nodes]

    def widget(self, node, prompt):
        kind = node[0]
        if kind == "text":
            return label(node[1])
        if kind == "heading":
            return label("<h2>%s</h2>" % html.escape(node[1]), True)
        if kind == "rich":
            return label(node[1], True)
        if kind == "code":
            code = label(node[1])
            code.setFont(QFontDatabase.systemFont(QFontDatabase.SystemFont.FixedFont))
            return code
        if kind == "field":
            field = QLineEdit(node[2])
            field.setReadOnly(not node[3])
            if node[1] is None:
                return field
            caption = QLabel(node[1].replace("_", "&"))
            caption.setBuddy(field)
            return container([caption, field], QHBoxLayout)
        if kind == "check":
            return QCheckBox(node[1], checked=True)
        if kind == "doc":
            view = QTextBrowser()
            view.setHtml(node[1].replace("\n", "<br>"))
            return view
        if kind == "area":
            area = QTextEdit() if node[2] else QPlainTextEdit()
            area.setPlainText(node[1])
            area.setReadOnly(not node[2])
            return area
        if kind == "choice":
            choice = QComboBox()
            choice.addItem(node[1])
            return choice
        if kind == "list":
            items = QListWidget()
            items.addItems(node[1])
            return items
        if kind == "table":
            table = QTableWidget(len(node[1]) - 1, len(node[1][0]))
            table.setHorizontalHeaderLabels(node[1][0])
            for y, row in enumerate(node[1][1:]):
                for x, cell in enumerate(row):
                    table.setItem(y, x, QTableWidgetItem(cell))
            return table
        if kind == "frame":
            return container(self.widgets(node[2], prompt), widget=QGroupBox(node[1]))
        if kind == "named":
            group = container(self.widgets(node[2], prompt))
            group.setAccessibleName(node[1])
            return group
        if kind == "box":
            return container(self.widgets(node[1], prompt))
        if kind == "deep":
            inner = container(self.widgets(node[2], prompt))
            for _ in range(node[1] - 1):
                inner = container([inner])
            return inner
        if kind == "rows":
            # A QListWidget shows its item widgets to nobody but the eye: a chat of widgets is a column of frames.
            return container([container(self.widgets(row, prompt), widget=QFrame(frameShape=QFrame.Shape.StyledPanel))
                              for row in node[1]])
        if kind == "prompt":
            box = QWidget()
            return container(self.widgets(node[1], box), widget=box)
        if kind == "buttons":
            return self.allow_row(node[-1], prompt, tip=node[1] if len(node) > 2 else None)
        if kind == "section":
            # Qt has no expander: a checked tool button with an arrow heads the section it shows.
            header = QToolButton(text=node[1], checkable=True, checked=True, arrowType=Qt.ArrowType.DownArrow,
                                 toolButtonStyle=Qt.ToolButtonStyle.ToolButtonTextBesideIcon)
            return container([header] + self.widgets(node[2], prompt))
        if kind == "tab":
            tabs = QTabWidget()
            tabs.addTab(container(self.widgets(node[2], prompt)), node[1])
            return tabs
        if kind == "banner":
            return container([self.allow_row(node[2], prompt, label(node[1]))],
                             widget=QFrame(frameShape=QFrame.Shape.StyledPanel))
        raise ValueError(kind)


def show(twin, main):
    window = Window(twin)
    if twin.kind in ("window", "bare"):
        scroll = QScrollArea(widgetResizable=True)
        scroll.setWidget(container(window.widgets(twin.content)))
        if twin.kind == "window":
            window.top = QMainWindow()
            window.top.setCentralWidget(scroll)
        else:
            window.top = container([scroll])
    elif twin.kind == "dialog":
        window.top = QDialog(main)
        buttons = QDialogButtonBox()
        buttons.addButton("Deny", QDialogButtonBox.ButtonRole.RejectRole)
        buttons.addButton("Allow", QDialogButtonBox.ButtonRole.AcceptRole)
        buttons.accepted.connect(lambda: window.answered(0, None))
        container(window.widgets(twin.content) + [buttons], widget=window.top)
    else:
        window.top = QMessageBox(main)
        window.top.setText(twin.content[0])
        if twin.content[1]:
            window.top.setInformativeText(twin.content[1])
        window.top.addButton("Deny", QMessageBox.ButtonRole.RejectRole)
        allow = window.top.addButton("Allow", QMessageBox.ButtonRole.AcceptRole)
        window.top.buttonClicked.connect(lambda button: button is allow and window.answered(0, None))
        window.top.setModal(False)
    window.top.setWindowTitle(twin.title)
    window.top.resize(560, 420)
    window.top.show()
    for name, fragment in twin.prompts:
        announce_prompt(name, twin.title, fragment)
    return window


application = QApplication([sys.argv[0]])
main = QMainWindow()
main.setWindowTitle("Velquin")
main.setCentralWidget(QLabel("A conversation with Velquin."))
main.show()
windows = [show(each, main) for each in twins("qt6")]  # kept: Qt deletes a window Python lets go
QTimer.singleShot(0, announce_ready)
application.exec()
