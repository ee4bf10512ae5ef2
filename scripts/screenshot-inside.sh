#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Inside a private desktop: the stand-in Velquin, then Ondrel's window, then a picture of the screen.
set -euo pipefail
build=$1 output=$2
here=$(dirname "$0")
export HOME=$(mktemp -d /tmp/ondrel-shot-home.XXXXXX)
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null
"$build/tests/velquin-standin" "$here/demo.scenario" >"$HOME/velquin.out" 2>/dev/null &
velquin=$!
"$build/app/ondrel" --interval 1 >"$HOME/ondrel.out" 2>&1 &
ondrel=$!
trap 'kill $ondrel $velquin 2>/dev/null' EXIT
sleep 1
# The stand-in's windows to the screen's edges, clear of Ondrel's window in the middle.
xdotool search --name '^Velquin - docs$' windowmove 0 0 2>/dev/null || true
xdotool search --name '^Velquin - build$' windowmove 1180 0 2>/dev/null || true
sleep 4
import -window root "$output"
echo "Wrote $output"
