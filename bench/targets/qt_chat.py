#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""A Qt 6 chat window for the watch benchmarks: FILLERS lines of conversation in rows of ten, and a
prompt (question, Deny, Allow) added inside the conversation at each of the given times. Prints "ready <pid>", then "shown\t<title>" as each prompt
appears and "pressed\t<label>\t<title>" as it is answered.

    qt_chat.py FILLERS [SECONDS,SECONDS,...]"""
import os
import sys

from PyQt6.QtCore import QTimer
from PyQt6.QtWidgets import QApplication, QHBoxLayout, QLabel, QMainWindow, QPushButton, QScrollArea, QVBoxLayout, QWidget

fillers = int(sys.argv[1])
times = [float(t) for t in sys.argv[2].split(",")] if len(sys.argv) > 2 and sys.argv[2] else []
application = QApplication([sys.argv[0]])
window = QMainWindow()
window.setWindowTitle("Chat")
column = QVBoxLayout()
rows = None
for i in range(fillers):
    if i % 10 == 0:
        row = QWidget()
        rows = QVBoxLayout(row)
        column.addWidget(row)
    rows.addWidget(QLabel("filler %d" % i))
content = QWidget()
content.setLayout(column)
scroll = QScrollArea()
scroll.setWidget(content)
window.setCentralWidget(scroll)
window.show()


def add_prompt(number):
    title = "Prompt %d" % number
    box = QWidget()
    layout = QVBoxLayout(box)
    layout.addWidget(QLabel("Velquin wants to read notes %d" % number))
    allow = QPushButton("Allow")

    def pressed():
        print("pressed\tAllow\t%s" % title, flush=True)
        box.deleteLater()

    allow.clicked.connect(pressed)
    buttons = QWidget()
    row = QHBoxLayout(buttons)
    row.addWidget(QPushButton("Deny"))
    row.addWidget(allow)
    layout.addWidget(buttons)
    column.addWidget(box)
    print("shown\t%s" % title, flush=True)


for number, seconds in enumerate(times):
    QTimer.singleShot(int(seconds * 1000), lambda number=number: add_prompt(number))
QTimer.singleShot(0, lambda: print("ready %d" % os.getpid(), flush=True))
application.exec()
