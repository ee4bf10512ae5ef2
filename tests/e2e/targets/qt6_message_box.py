#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""A Qt 6 application whose prompt is a QMessageBox over its main window.

    qt6_message_box.py [--app-id ID] PROMPT_TEXT

Qt names its accessibility application after the program, not the application id: a test makes
this one Velquin through its launch environment. Prints "ready <pid>", then
"pressed\t<label>\t<window>" per press; an answered box closes."""
import sys

from PyQt6.QtCore import QTimer
from PyQt6.QtWidgets import QApplication, QLabel, QMainWindow, QMessageBox

from target_protocol import announce_ready, parse_arguments, report_press

options = parse_arguments(sys.argv[1:])
application = QApplication([sys.argv[0]])
window = QMainWindow()
window.setWindowTitle("Velquin")
window.setCentralWidget(QLabel("A conversation with Velquin."))
window.show()

box = QMessageBox(window)
box.setWindowTitle("Permission")
box.setText(options.text)
box.addButton("Deny", QMessageBox.ButtonRole.RejectRole)
box.addButton("Allow", QMessageBox.ButtonRole.AcceptRole)
box.buttonClicked.connect(lambda button: report_press(button.text(), "Permission"))
box.setModal(False)
box.show()
QTimer.singleShot(0, announce_ready)
application.exec()
