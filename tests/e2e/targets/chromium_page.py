#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Velquin as a web application: a local page in Debian's Chromium, with a long conversation and
one prompt box per PROMPT_TEXT, each with Deny and Allow.

    chromium_page.py [--force-renderer-accessibility] PROMPT_TEXT...

Chromium runs in a private profile, in app mode, in its own process group. Prints "ready <pid of
the browser>" once the page has loaded, then "pressed\t<label>\tVelquin Chat" per press (read from
Chromium's console log); an answered prompt is removed from the page."""
import argparse
import html
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

from target_protocol import announce_ready, report_press

CHROMIUM = "/usr/lib/chromium/chromium"
TITLE = "Velquin Chat"
CONVERSATION = "".join("<p>Earlier message number %d in a long conversation with Velquin.</p>" % i for i in range(30))
PAGE = """<!doctype html><html><head><meta charset="utf-8"><title>%s</title></head><body>
<main>%s</main>%s
<script>
for (const button of document.querySelectorAll("button")) {
  button.addEventListener("click", () => {
    console.log("pressed\\t" + button.textContent + "\\t" + document.title);
    button.closest("section").remove();
  });
}
window.addEventListener("load", () => console.log("loaded"));
</script></body></html>"""
PROMPT = '<section role="dialog"><p>%s</p><button>Deny</button><button>Allow</button></section>'
# "[…:INFO:CONSOLE(12)] "message", source: file:///….html (12)"
CONSOLE_LINE = re.compile(r':CONSOLE[^\]]*\] "(.*)", source: ')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--force-renderer-accessibility", action="store_true")
    parser.add_argument("texts", nargs="+")
    options = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="ondrel-chromium-")
    page = os.path.join(folder, "velquin.html")
    prompts = "".join(PROMPT % html.escape(text) for text in options.texts)
    with open(page, "w", encoding="utf-8") as out:
        out.write(PAGE % (TITLE, CONVERSATION, prompts))
    command = [CHROMIUM, "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
               "--disable-component-update", "--disable-sync", "--password-store=basic", "--enable-logging=stderr",
               "--user-data-dir=" + os.path.join(folder, "profile"), "--app=file://" + page]
    if options.force_renderer_accessibility:
        command.insert(1, "--force-renderer-accessibility")
    browser = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, errors="replace")

    def stop(*_):
        browser.kill()
        shutil.rmtree(folder, ignore_errors=True)
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    try:
        for line in browser.stderr:
            match = CONSOLE_LINE.search(line)
            if not match:
                continue
            message = match.group(1)
            if message == "loaded":
                announce_ready(browser.pid)
            elif message.startswith("pressed\t"):
                _, label, window = message.split("\t", 2)
                report_press(label, window)
    finally:
        stop()


main()
