#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Every prompt shape of prompt_shapes.py as Velquin the web application shows it: one local page in
Debian's Chromium, one card per twin (a role=dialog or role=alertdialog card for dialogs and
messages), built of paragraphs, headings, code blocks, labelled inputs, text areas and footers.

    chromium_shapes.py

Chromium runs in a private profile, in app mode, in its own process group. Prints
"prompt\t<name>\tVelquin Chat\t<fragment>" per prompt, "ready <pid of the browser>" once the page
has loaded, then "pressed\t<label>\t<name>" per press (read from Chromium's console log); an answered
prompt is removed from the page, its card with it when it was the card's only one."""
import html
import itertools
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

from prompt_shapes import twins
from target_protocol import announce_prompt, announce_ready, report_press

CHROMIUM = "/usr/lib/chromium/chromium"
TITLE = "Velquin Chat"
PAGE = """<!doctype html><html><head><meta charset="utf-8"><title>%s</title>
<style>.card { border: 1px solid #888; margin: 8px; padding: 8px; }</style></head><body><main>%s</main>
<script>
for (const button of document.querySelectorAll("button[data-name]")) {
  button.addEventListener("click", () => {
    console.log("pressed\\t" + button.textContent + "\\t" + button.dataset.name);
    document.getElementById(button.dataset.gone).remove();
  });
}
window.addEventListener("load", () => console.log("loaded"));
</script></body></html>"""
# "[…:INFO:CONSOLE(12)] "message", source: file:///….html (12)"
CONSOLE_LINE = re.compile(r':CONSOLE[^\]]*\] "(.*)", source: ')
ids = itertools.count()
e = html.escape


def card(twin):
    number = next(ids)

    def allow(index, gone, tip=None):
        return '<button>Deny</button><button data-name="%s" data-gone="%s"%s>Allow</button>' % (
            e(twin.prompts[index][0]), "card%d" % number if len(twin.prompts) == 1 else gone,
            ' title="%s"' % e(tip) if tip else "")

    def nodes(items, prompt=None):
        return "".join(node(item, prompt) for item in items)

    def node(item, prompt):
        kind, n = item[0], next(ids)
        if kind == "text":
            return "<p>%s</p>" % e(item[1])
        if kind == "heading":
            return "<h2>%s</h2>" % e(item[1])
        if kind == "rich":
            return "<p>%s</p>" % item[1]
        if kind == "code":
            return "<pre><code>%s</code></pre>" % e(item[1])
        if kind == "field":
            field = '<input id="field%d" value="%s"%s>' % (n, e(item[2]), "" if item[3] else " readonly")
            return field if item[1] is None else '<label for="field%d">%s</label>%s' % (n, e(item[1].replace("_", "")),
                                                                                        field)
        if kind == "check":
            return '<label><input type="checkbox" checked> %s</label>' % e(item[1])
        if kind == "alias":
            return '<p aria-label="%s">%s</p>' % (e(item[1]), e(item[2]))
        if kind == "doc":
            return '<div role="textbox" aria-multiline="true" aria-readonly="true">%s</div>' % item[1].replace(
                "\n", "<br>").replace("<tt>", "<code>").replace("</tt>", "</code>")
        if kind == "html":
            return item[1]
        if kind == "area":
            return "<textarea%s>%s</textarea>" % ("" if item[2] else " readonly", e(item[1]))
        if kind == "choice":
            return "<select><option selected>%s</option></select>" % e(item[1])
        if kind == "list":
            return "<ul>%s</ul>" % "".join("<li>%s</li>" % e(text) for text in item[1])
        if kind == "table":
            head, *rows = item[1]
            return "<table><tr>%s</tr>%s</table>" % ("".join("<th>%s</th>" % e(cell) for cell in head), "".join(
                "<tr>%s</tr>" % "".join("<td>%s</td>" % (e(cell) if isinstance(cell, str) else node(cell, prompt))
                                        for cell in row) for row in rows))
        if kind == "frame":
            return "<fieldset><legend>%s</legend>%s</fieldset>" % (e(item[1]), nodes(item[2], prompt))
        if kind == "named":
            return '<div role="group" aria-label="%s">%s</div>' % (e(item[1]), nodes(item[2], prompt))
        if kind == "box":
            return "<div>%s</div>" % nodes(item[1], prompt)
        if kind == "deep":
            return "".join('<div id="wrap%d-%d">' % (n, d) for d in range(item[1])) + nodes(item[2], prompt) + \
                "</div>" * item[1]
        if kind == "rows":
            return '<ul class="messages">%s</ul>' % "".join("<li>%s</li>" % nodes(row, prompt) for row in item[1])
        if kind == "prompt":
            return '<div id="prompt%d">%s</div>' % (n, nodes(item[1], "prompt%d" % n))
        if kind == "buttons":
            return '<div class="footer" id="row%d">%s</div>' % (n, allow(item[-1], prompt or "row%d" % n,
                                                                         item[1] if len(item) > 2 else None))
        if kind == "section":
            return "<details open><summary>%s</summary>%s</details>" % (e(item[1]), nodes(item[2], prompt))
        if kind == "tab":
            return ('<div role="tablist"><div role="tab" id="tab%d" aria-selected="true">%s</div></div>'
                    '<div role="tabpanel" aria-labelledby="tab%d">%s</div>') % (n, e(item[1]), n,
                                                                                nodes(item[2], prompt))
        if kind == "banner":
            return '<div role="alert" id="bar%d"><p>%s</p>%s</div>' % (n, e(item[1]),
                                                                          allow(item[2], prompt or "bar%d" % n))
        raise ValueError(kind)

    if twin.kind == "window":
        return '<section class="card" id="card%d">%s</section>' % (number, nodes(twin.content))
    if twin.kind == "dialog":
        body = nodes(twin.content)
    else:
        body = "<h2>%s</h2>" % e(twin.content[0]) + ("<p>%s</p>" % e(twin.content[1]) if twin.content[1] else "")
    return '<div class="card" id="card%d" role="%s" aria-label="%s">%s<div class="footer">%s</div></div>' % (
        number, "dialog" if twin.kind == "dialog" else "alertdialog", e(twin.title), body, allow(0, None))


def main():
    folder = tempfile.mkdtemp(prefix="ondrel-chromium-")
    page = os.path.join(folder, "velquin.html")
    cards = []
    for twin in twins("chromium"):
        cards.append(card(twin))
        for name, fragment in twin.prompts:
            announce_prompt(name, TITLE, fragment)
    with open(page, "w", encoding="utf-8") as out:
        out.write(PAGE % (TITLE, "".join(cards)))
    browser = subprocess.Popen([CHROMIUM, "--no-sandbox", "--disable-gpu", "--no-first-run",
                                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                                "--password-store=basic", "--enable-logging=stderr", "--window-size=1280,800",
                                "--user-data-dir=" + os.path.join(folder, "profile"), "--app=file://" + page],
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, errors="replace")

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
                _, label, name = message.split("\t", 2)
                report_press(label, name)
    finally:
        stop()


main()
