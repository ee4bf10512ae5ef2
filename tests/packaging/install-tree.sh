#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs a build as a packager does (DESTDIR, prefix /usr) into an empty folder and checks what lands
# there: exactly the listed files, each valid for the tool that reads it.
set -euo pipefail
build=$1
root=$(mktemp -d /tmp/ondrel-install.XXXXXX)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs a checker that must pass without a word.
silent() { local said; said=$("$@" 2>&1) && [ -z "$said" ] || fail "$*: ${said:-failed}"; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
expected="bin/ondrel
lib/systemd/user/ondrel.service
libexec/ondrel/ondrel-tray
share/applications/dev.ondrel.Ondrel.desktop
share/doc/ondrel/changelog.Debian.gz
share/doc/ondrel/copyright
share/icons/hicolor/scalable/apps/dev.ondrel.Ondrel.svg
share/lintian/overrides/ondrel
share/man/man1/ondrel.1.gz
share/metainfo/dev.ondrel.Ondrel.metainfo.xml"
installed=$(cd "$usr" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"

"$usr/bin/ondrel" --help | grep -q -- '--headless' || fail "the installed program does not answer --help"

entry=$usr/share/applications/dev.ondrel.Ondrel.desktop
silent desktop-file-validate "$entry"
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$usr/bin/$program" ] || fail "the desktop entry runs '$program', which is not in bin"
icon=$(sed -n 's/^Icon=//p' "$entry")
silent xmllint --noout "$usr/share/icons/hicolor/scalable/apps/$icon.svg"
# Software centres find the application through the desktop entry the metainfo names.
metainfo=$usr/share/metainfo/dev.ondrel.Ondrel.metainfo.xml
said=$(appstreamcli validate --no-net --pedantic --strict "$metainfo" 2>&1) || fail "appstreamcli validate: $said"
launchable=$(xmllint --xpath 'string(//launchable[@type="desktop-id"])' "$metainfo")
[ "$launchable" = "$(basename "$entry")" ] || fail "the metainfo launches '$launchable', not $(basename "$entry")"

unit=$usr/lib/systemd/user/ondrel.service
grep -qx 'ExecStart=/usr/bin/ondrel --headless' "$unit" || fail "the service does not run /usr/bin/ondrel --headless"
grep -qx 'PartOf=graphical-session.target' "$unit" || fail "the service is not part of the graphical session"
grep -qx 'Restart=on-failure' "$unit" || fail "the service does not restart on failure"
# systemd checks the unit as it stands, with the program where DESTDIR holds it for now.
mkdir "$root/unit" && mkdir -m 700 "$root/runtime"
sed "s|^ExecStart=/usr/|ExecStart=$usr/|" "$unit" >"$root/unit/ondrel.service"
silent env XDG_RUNTIME_DIR="$root/runtime" systemd-analyze --user verify --man=no "$root/unit/ondrel.service"

zcat "$usr/share/man/man1/ondrel.1.gz" >"$root/ondrel.1"
silent groff -man -ww -z -K utf8 "$root/ondrel.1"
# The licence's own text, word for word, under the machine-readable copyright's header.
sed -n '/^License: Expat$/,$p' "$usr/share/doc/ondrel/copyright" | tail -n +2 | sed 's/^ //; s/^\.$//' >"$root/licence"
sed -n '/^Permission/,$p' "$(dirname "$0")/../../LICENSE" | cmp -s - "$root/licence" || fail "the copyright file lacks the licence"
echo "installed tree: $(echo "$expected" | wc -l) files, all valid"
