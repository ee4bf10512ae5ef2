# SPDX-License-Identifier: MIT
"""The prompts every toolkit target shows at once, described apart from any toolkit: each target
renders them with its own widgets. Every shape comes as twins: "risky", holding a command safe mode
must leave for the user, and "harmless", the same shape with that command swapped for a harmless one,
which must be pressed.

A shape's content is a list of nodes, tuples whose first item is the kind:
  ("text", s)              a static text             ("heading", s)        a bold heading
  ("rich", html)           text with inline markup: <b>, <code>, <a href>
  ("doc", markup)          a read-only rich text view: <b>, <i>, <tt>, line breaks
  ("code", s)              a block of code, its line breaks kept
  ("alias", name, s)       a static text s named name for assistive technologies
  ("field", label, s, e)   a single-line text field with a mnemonic label (None: none); e: editable
  ("area", s, e)           a multi-line text field   ("choice", s)         a drop-down showing s
  ("check", s)             a ticked check box s      ("list", [s, ...])    a list of items
  ("table", [[c, ...], ...], by_column)   a table, header first; a cell is a string or a node; by_column:
                           GTK fills its grid column by column (optional)
  ("frame", title, nodes)  a titled frame            ("named", name, nodes) a group named, not shown
  ("section", title, nodes) an expanded expander     ("tab", title, nodes) a notebook with one page
  ("box", nodes)           a container               ("deep", n, nodes)    n containers, one in another
  ("html", s)              a page's own markup (Chromium only)
  ("rows", [nodes, ...])   a list whose rows hold nodes, as chat messages
  ("prompt", nodes)        a container that is one prompt, gone once answered
  ("buttons", name)        Deny and Allow in a row   ("buttons", tip, name) the same, Allow with a tooltip
  ("banner", s, name)      a bar with s, Deny and Allow
A window's kind is "window" (content in an application window), "bare" (in a toolkit's barest
top-level widget), "dialog" (content above a dialog's own buttons) or "message" (a stock message box:
content is its text and secondary text). `name` is what a press of that Allow reports; twin() fills it
in."""
from collections import namedtuple

Shape = namedtuple("Shape", "name kind content risky harmless fragment title only", defaults=(None, None))
Twin = namedtuple("Twin", "name kind content title prompts")  # prompts: [(press name, fragment or "")]

# A twin's own Allow; OTHER marks one whose prompt is harmless in both twins.
OWN, OTHER = "own", "other"


def buttons(which=OWN, tip=None):
    return ("buttons", which) if tip is None else ("buttons", tip, which)


def asks(command):
    return ("prompt", [("text", "Velquin wants to run: " + command), buttons()])


def other(text):
    """A prompt harmless in both twins."""
    return ("prompt", [("text", text), buttons(OTHER)])


LONG = ("Velquin has finished looking at the changes in your working copy and wants to tidy up before the "
        "next build. The build folder holds object files, cached test results and the packaged archives "
        "of the last three runs; none of them are tracked, and the next build makes all of them again. "
        "Clearing them frees about two gigabytes and avoids the stale header errors you saw this morning, "
        "when an old generated file shadowed the new one. Nothing outside the build folder is touched: your "
        "editor settings and local notes stay as they are, and the next build will take about four minutes "
        "longer than usual while everything is compiled afresh.")
PARAGRAPHS = [("Paragraph %d. " % n) + LONG[:470] for n in range(1, 6)]
SCRIPT = """#!/bin/sh
# Archive every project before the weekly clean-up of the workspace.
set -eu
cd "$HOME"
mkdir -p archive
for dir in projects/*/; do
    name=$(basename "$dir")
    echo "Archiving $name"
    tar -czf "archive/$name-$(date +%%Y%%m%%d).tar.gz" -C projects "$name"
done
echo "Checking the archives"
for file in archive/*.tar.gz; do
    if tar -tzf "$file" | head -n 1; then
        echo "ok: $file"
    else
        echo "damaged: $file, keeping the workspace"
        exit 1
    fi
done
ls -l archive | tee archive/listing.txt
echo "Archives written: $(ls archive/*.tar.gz | wc -l)"
echo "Free space after archiving:"
df -h "$HOME" | tail -n 1
echo "The workspace can now be cleared; the archives stay in ~/archive."
echo "Keeping a list of what is cleared in ~/archive/cleared.txt"
find projects -maxdepth 1 -mindepth 1 | sort > archive/cleared.txt
echo "Clearing the workspace now."
%s
"""
CONVERSATION = [
    "You: the deploy token expired again this morning, can you look at why?",
    "Velquin: the token is only read by the production deploy job, which I will not touch.",
    "You: fine. Yesterday I ran rm -rf build/ by hand and the build came back clean.",
] + ["Velquin: note %d on the refactoring of the parser, nothing to do for now." % n for n in range(30)]
LOOK_ALIKE = "Velquin wants to run: %s build/"

SHAPES = [
    # Long prompts, the command first, last, in a heading, in a script, in a stock dialog, far down.
    Shape("script", "window", lambda c: [("prompt", [("text", "Velquin wants to run this script:"),
                                                     ("code", SCRIPT % c), buttons()])],
          "rm -rf ~/projects", "ls -la ~/projects", "rm -rf"),
    Shape("command first", "window", lambda c: [("prompt", [("text", "Run %s now? %s" % (c, LONG)), buttons()])],
          "git push --force origin main", "git status --short", "git push --force"),
    Shape("command last", "window", lambda c: [("prompt", [("text", LONG + " It will run: " + c), buttons()])],
          "terraform destroy -auto-approve", "terraform plan -out=next.plan", "terraform destroy"),
    Shape("bold heading", "window", lambda c: [("prompt", [("heading", "Run %s?" % c), ("text", LONG), buttons()])],
          "DROP TABLE users;", "SELECT * FROM users;", "drop table"),
    Shape("long dialog", "dialog", lambda c: [("text", "Velquin asks for permission"),
                                              ("text", LONG + " It will run: " + c)],
          "sudo apt-get remove nginx", "apt-cache policy nginx", "sudo "),
    Shape("long message", "message", lambda c: ["Velquin asks for permission", LONG + " It will run: " + c],
          "kubectl delete namespace staging", "kubectl get namespace staging", "kubectl delete"),
    Shape("footer", "window", lambda c: [("prompt", [("text", LONG), ("text", "It will run: " + c),
                                                     ("box", [("box", [buttons()])])])],
          "chmod 777 /srv/shared", "chmod 755 /srv/shared", "chmod 777"),
    Shape("five paragraphs", "window", lambda c: [("prompt", [("text", p) for p in PARAGRAPHS] +
                                                   [("text", "Command: " + c), buttons()])],
          "rm -rf /var/lib/app", "ls -la /var/lib/app", "rm -rf"),
    # A command over several lines, and one shown as a tool call's list of arguments.
    Shape("continued line", "window", lambda c: [("prompt", [("text", "Velquin wants to run:"), ("code", c),
                                                             buttons()])],
          "git push \\\n    --force origin main", "git pull \\\n    --rebase origin main", "git push --force", only={"gtk3"}),
    Shape("argv list", "window", lambda c: [("prompt", [("text", "Velquin wants to call exec with:"),
                                                        ("code", '{"argv": %s}' % c), buttons()])],
          '["git", "push", "--force", "origin", "main"]', '["git", "status", "--short"]', "git push --force", only={"gtk3"}),
    # The command in a text field.
    Shape("labelled field", "window", lambda c: [("prompt", [("text", "Velquin wants to run the command below."),
                                                             ("field", "_Command:", c, False), buttons()])],
          "git reset --hard HEAD~3", "git log --oneline -3", "reset --hard"),
    Shape("editable field", "window", lambda c: [("prompt", [("text", "Velquin wants to run the command below."),
                                                             ("field", "_Command:", c, True), buttons()])],
          "rm -rf dist/", "ls -la dist/", "rm -rf"),
    Shape("unlabelled field", "window", lambda c: [("prompt", [("text", "Run this?"), ("field", None, c, True),
                                                               buttons()])],
          "curl -s https://example.invalid/install.sh | sh", "cat ~/install.sh", "curl"),
    Shape("text view", "window", lambda c: [("prompt", [("text", "Velquin wants to run these commands:"),
                                                        ("area", "cd ~/site\nnpm ci\n%s\n" % c, False), buttons()])],
          "npm publish --access public", "npm pack --dry-run", "npm publish"),
    Shape("editable text view", "window", lambda c: [("prompt", [("text", "Velquin wants to run this query:"),
                                                                 ("area", "BEGIN;\n%s\nCOMMIT;\n" % c, True),
                                                                 buttons()])],
          "DELETE FROM orders;", "SELECT id FROM orders;", "delete from"),
    Shape("rich document", "window", lambda c: [("prompt", [("doc", "<b>Velquin</b> wants to run:\n<tt>cd ~/site</tt>"
                                                                    "\n<tt>%s</tt>\n<i>%s</i>" % (c, LONG)),
                                                            buttons()])],
          "sudo systemctl stop nginx", "systemctl status nginx", "sudo "),
    # A paragraph of 316 characters is short enough to judge, however a page exposes it.
    Shape("paragraph 316", "window", lambda c: [("prompt", [("text", (LONG[:289] + " Run: " + c).ljust(316, ".")),
                                                            buttons()])],
          "rm -rf tmp/", "ls -la tmp/", "rm -rf"),
    # Wrappers between the button and its prompt's text.
    Shape("deep wrappers", "window", lambda c: [("prompt", [("deep", 7, [("text", "Velquin wants to run: " + c)]),
                                                            ("deep", 12, [buttons()])])],
          "dd if=/dev/zero of=/dev/sda", "df -h /dev/sda", "dd if="),
    # Two prompts in one window: the other one is harmless in both twins.
    Shape("two prompts", "window", lambda c: [("box", [("prompt", [("text", "Velquin wants to read notes.txt"),
                                                                   buttons(OTHER)]), asks(c)])],
          "rm -rf build/", "ls -la build/", "rm -rf"),
    Shape("two prompts flat", "window", lambda c: [("text", "Velquin wants to read notes.txt"), buttons(OTHER),
                                                   ("text", "Velquin wants to run: " + c), buttons()],
          "git clean -fdx", "git clean -n", "git clean -fd"),
    # Prompts in list rows and in table rows, the risky one in the middle.
    # Qt shows no assistive technology the widgets in a table's cells.
    Shape("table of prompts", "window", lambda c: [("table", [["Request", "Answer"], ["Read notes.txt", buttons(OTHER)],
                                                              ["Run " + c, buttons()],
                                                              ["Run make test", buttons(OTHER)]])],
          "kubectl delete pod web-0", "kubectl get pod web-0", "kubectl delete", only={"gtk4", "chromium"}),
    # Invisible and look-alike characters.
    Shape("zero width space", "window", lambda c: [asks(c)], "r\u200bm -rf", "l\u200bs -la", "rm -rf"),
    Shape("soft hyphen", "window", lambda c: [asks(c)], "r\u00adm -rf", "l\u00ads -la", "rm -rf"),
    Shape("bidi controls", "window", lambda c: [asks(c)], "\u2066r\u202em\u202c -rf\u2069",
          "\u2066l\u202es\u202c -la\u2069", "rm -rf"),
    Shape("fullwidth", "window", lambda c: [asks(c)], "\uff52\uff4d\u3000\uff0d\uff52\uff46",
          "\uff4c\uff53\u3000\uff0d\uff4c\uff41", "rm -rf"),
    Shape("math letters", "window", lambda c: [asks(c)], "\U0001d69b\U0001d696 -\U0001d69b\U0001d68f",
          "\U0001d695\U0001d69c -\U0001d695\U0001d68a", "rm -rf"),
    Shape("no-break space", "window", lambda c: [asks(c)], "rm\u00a0-rf", "ls\u00a0-la", "rm -rf"),
    Shape("combining marks", "window", lambda c: [asks(c)], "r\u0332m\u0332 -\u0332r\u0332f\u0332",
          "l\u0332s\u0332 -\u0332l\u0332a\u0332", "rm -rf", only={"gtk3"}),
    Shape("look-alike letters", "window", lambda c: [asks(c)], "\u0455ud\u03bf apt-get remove nginx",
          "\u0430pt-cache policy nginx", "sudo ", only={"gtk3"}),
    # Typography that renders "--" as a dash, as chat views do.
    Shape("smart dashes", "window", lambda c: [asks(c)], "git push \u2013force origin main",
          "git pull \u2013rebase origin main", "git push --force"),
    # The command only in a dialog's title (an application window's own title is no prompt's).
    Shape("title", "dialog", lambda c: [("text", "Allow?")], "rm -rf /tmp/x", "ls -la /tmp/x", "rm -rf",
          title=lambda c: "Run %s?" % c),
    # GTK 3 names its message dialogs after their kind ("Question"): their titles reach no assistive technology.
    Shape("message title", "message", lambda c: ["Allow?", None], "rm -rf /tmp/y", "ls -la /tmp/y", "rm -rf",
          title=lambda c: "Run %s?" % c, only={"gtk4", "qt6", "chromium"}),
    # The prompt at the end of a long conversation that mentions danger in passing.
    Shape("conversation", "window", lambda c: [("box", [("text", m) for m in CONVERSATION]), asks(c)],
          "git push --force origin main", "git status --short", "git push --force"),
    Shape("conversation flat", "window", lambda c: [("text", m) for m in CONVERSATION] +
          [("text", "Velquin wants to run: " + c), buttons()],
          "git push --force origin main", "git status --short", "git push --force"),
    Shape("message list", "window", lambda c: [("rows", [[("text", m)] for m in CONVERSATION] + [[asks(c)]])],
          "git push --force origin main", "git status --short", "git push --force"),
    # The risky word one message above the prompt leaves it; two above, it is pressed.
    Shape("message above flat", "window", lambda c: [("text", m) for m in CONVERSATION[3:13] + c] +
          [("text", "Velquin wants to run: git status --short"), buttons()],
          ["You: the secret is in the vault."],
          ["You: the secret is in the vault.", "Velquin: I will only look at the status."], "secret"),
    # The user's draft in the chat's text field, below the prompt.
    Shape("composer draft", "window", lambda c: [("box", [("text", m) for m in CONVERSATION[3:13]] + [asks(c)]),
                                                 ("field", None, "then delete the production token", True)],
          "git push --force origin main", "git status --short", "git push --force", only={"gtk3", "gtk4", "qt6"}),
    # Markup, lists, tables and other widgets around the command.
    Shape("split bold", "window", lambda c: [("prompt", [("rich", "Velquin wants to run %s build/" % c), buttons()])],
          "r<b>m</b> -rf", "l<b>s</b> -la", "rm -rf"),
    Shape("split code", "window", lambda c: [("prompt", [("rich", "Velquin wants to run %s build/" % c), buttons()])],
          "<code>rm</code> -rf", "<code>ls</code> -la", "rm -rf"),
    Shape("split link", "window", lambda c: [("prompt", [("rich", "Velquin wants to run %s build/" % c), buttons()])],
          'r<a href="https://example.invalid/">m -r</a>f', 'l<a href="https://example.invalid/">s -l</a>a', "rm -rf"),
    Shape("split lines", "window", lambda c: [("prompt", [("text", "Velquin wants to run " + c[0]), ("text", c[1]),
                                                          buttons()])],
          ("rm", "-rf build/"), ("ls", "-la build/"), "rm -rf"),
    Shape("list", "window", lambda c: [("prompt", [("text", "Velquin wants to take these steps:"),
                                                   ("list", ["Stop the app server", c, "Start the app server"]),
                                                   buttons()])],
          "killall app-worker", "pgrep app-worker", "killall"),
    Shape("table", "window", lambda c: [("prompt", [("text", "Velquin wants to make these changes:"),
                                                    ("table", [["Step", "Command"], ["Clean", c], ["Build", "make"]]),
                                                    buttons()])],
          "rm -rf out/", "ls -la out/", "rm -rf"),
    # GTK's grids list their cells in the order they were added (GTK 3: the reverse), not as they are shown.
    Shape("table by column", "window", lambda c: [("prompt", [("table", [["Program", "Arguments"], list(c)], True),
                                                              buttons()])],
          ("rm", "-rf build/"), ("ls", "-la build/"), "rm -rf", only={"qt6", "chromium"}),
    Shape("choice", "window", lambda c: [("prompt", [("text", "Velquin wants to run:"), ("choice", c), buttons()])],
          "git push -f origin main", "git pull origin main", "git push -f"),
    Shape("frame title", "window", lambda c: [("prompt", [("frame", "Run %s?" % c,
                                                           [("text", "Velquin needs your answer."), buttons()])])],
          "shutdown -r now", "uptime --pretty", "shutdown"),
    Shape("named group", "window", lambda c: [("prompt", [("named", "Velquin wants to run " + c,
                                                           [("text", "Allow the command?"), buttons()])])],
          "wget -q https://example.invalid/x.sh", "cat ~/x.sh", "wget"),
    # The command in an expanded section's title, a notebook page's title, a ticked option.
    Shape("open section", "window", lambda c: [("prompt", [("section", "Run " + c, [
        ("text", "Velquin wants to run the command above."), buttons()])])],
          "git clean -fdx", "git clean -n", "git clean -fd"),
    Shape("tab title", "window", lambda c: [("tab", "Run " + c, [("prompt", [("text", "Allow this?"), buttons()])])],
          "reboot now", "uptime", "reboot"),
    Shape("checked option", "window", lambda c: [("prompt", [("text", "Velquin wants to clean the build folder."),
                                                             ("check", "Afterwards also run " + c), buttons()])],
          "git push --force origin main", "git status --short", "git push --force"),
    # The command in the Allow button's tooltip.
    Shape("allow tooltip", "window", lambda c: [("prompt", [("text", "Velquin wants to run a clean-up command."),
                                                            buttons(OWN, "Runs " + c)])],
          "rm -rf ~/work", "ls -la ~/work", "rm -rf"),
    # The command in a text named otherwise for assistive technologies (GTK 4's labels and Qt's show only that name).
    Shape("aliased label", "window", lambda c: [("prompt", [("text", "Velquin wants to run:"), ("alias", "Command", c),
                                                            buttons()])],
          "DROP DATABASE shop;", "SHOW DATABASES;", "drop database", only={"chromium"}),
    Shape("text below", "window", lambda c: [("prompt", [buttons(), ("text", "Velquin wants to run: " + c)])],
          "git checkout -- .", "git diff --stat .", "checkout --"),
    Shape("bare window", "bare", lambda c: [asks(c)], "rm -rf build/", "ls -la build/", "rm -rf", only={"qt6"}),
    Shape("banner", "window", lambda c: [("text", "Your disks"), ("banner", "Velquin wants to run: " + c, OWN)],
          "mkfs.ext4 /dev/sdb1", "lsblk /dev/sdb1", "mkfs"),
    # A web page's frame: its own document inside the prompt.
    Shape("web frame", "window", lambda c: [("prompt", [("html", '<iframe srcdoc="&lt;p&gt;Velquin wants to run: %s'
                                                                 '&lt;/p&gt;"></iframe>' % c), buttons()])],
          "shutdown -h now", "uptime", "shutdown", only={"chromium"}),
]


def twins(toolkit):
    """Every shape for `toolkit` ("gtk3", "gtk4", "qt6", "chromium"), risky twin first."""
    for shape in SHAPES:
        if shape.only and toolkit not in shape.only:
            continue
        for verdict, command in (("risky", shape.risky), ("harmless", shape.harmless)):
            name = "%s %s" % (shape.name, verdict)
            prompts = []

            def named(nodes):
                result = []
                for node in nodes:
                    if node[0] in ("buttons", "banner"):
                        prompts.append(node[-1])
                        result.append(node[:-1] + (len(prompts) - 1,))
                    elif node[0] == "rows":
                        result.append(("rows", [named(row) for row in node[1]]))
                    elif node[0] == "table":
                        result.append(("table", [[cell if isinstance(cell, str) else named([cell])[0] for cell in row]
                                                  for row in node[1]]) + node[2:])
                    elif node[0] in ("box", "prompt", "deep", "frame", "named", "section", "tab"):
                        result.append(node[:-1] + (named(node[-1]),))
                    else:
                        result.append(node)
                return result

            content = shape.content(command)
            if shape.kind in ("window", "bare"):
                content = named(content)
            else:
                prompts.append(OWN)
                if shape.kind == "dialog":
                    content = named(content)
            names = [name] if len(prompts) == 1 else ["%s #%d" % (name, n + 1) for n in range(len(prompts))]
            fragment = shape.fragment if verdict == "risky" else ""
            # Each Allow's node now holds its index into prompts; the renderer asks press_name for it.
            yield Twin(name, shape.kind, content, shape.title(command) if shape.title else name,
                       [(names[n], fragment if which == OWN else "") for n, which in enumerate(prompts)])
