#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Chromium showing a chat page for the watch benchmarks: FILLERS paragraphs of conversation in rows of
ten, and a prompt (question, Deny, Allow) added inside the conversation at each of the given times. Prints "ready <browser pid>", then
"shown\t<title>" as each prompt appears and "pressed\t<label>\t<title>" as it is answered.

    chromium_chat.py FILLERS [SECONDS,SECONDS,...]"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

fillers = int(sys.argv[1])
times = sys.argv[2] if len(sys.argv) > 2 else ""
PAGE = """<!doctype html><html><head><meta charset="utf-8"><title>Velquin Chat</title></head><body>
<main id="chat">%s</main>
<script>
const times = "%s".split(",").filter(t => t).map(Number);
times.forEach((seconds, number) => setTimeout(() => {
  const title = "Prompt " + number;
  const box = document.createElement("section");
  box.innerHTML = "<p>Velquin wants to read notes " + number + "</p><div><button>Deny</button><button>Allow</button></div>";
  box.querySelectorAll("button")[1].addEventListener("click", () => {
    console.log("pressed\\tAllow\\t" + title);
    box.remove();
  });
  document.getElementById("chat").appendChild(box);
  console.log("shown\\t" + title);
}, seconds * 1000));
window.addEventListener("load", () => console.log("loaded"));
</script></body></html>"""
CONSOLE_LINE = re.compile(r':CONSOLE[^\]]*\] "(.*)", source: ')

folder = tempfile.mkdtemp(prefix="ondrel-bench-chromium-")
page = os.path.join(folder, "chat.html")
with open(page, "w", encoding="utf-8") as out:
    rows = ("<div>%s</div>" % "".join("<p>filler %d</p>" % (i + j) for j in range(10)) for i in range(0, fillers, 10))
    out.write(PAGE % ("".join(rows), times))
browser = subprocess.Popen(["/usr/lib/chromium/chromium", "--no-sandbox", "--disable-gpu", "--no-first-run",
                            "--disable-background-networking", "--disable-component-update", "--disable-sync",
                            "--password-store=basic", "--enable-logging=stderr",
                            "--user-data-dir=" + os.path.join(folder, "profile"), "--app=file://" + page],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, errors="replace")
try:
    for line in browser.stderr:
        match = CONSOLE_LINE.search(line)
        if not match:
            continue
        message = match.group(1)
        print("ready %d" % browser.pid if message == "loaded" else message.replace("\\t", "\t"), flush=True)
finally:
    browser.kill()
    shutil.rmtree(folder, ignore_errors=True)
