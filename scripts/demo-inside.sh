#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The demo's steps, run inside a private desktop session (see demo.sh).
set -euo pipefail
build=$1
here=$(dirname "$0")
export HOME=$(mktemp -d /tmp/ondrel-demo-home.XXXXXX)
step() { printf '\n\033[1m%s\033[0m\n' "$*"; }

step "Starting the stand-in Velquin with two prompts (a harmless one, a risky one)"
"$build/tests/velquin-standin" "$here/demo.scenario" >"$HOME/velquin.out" 2>/dev/null &
velquin=$!
trap 'kill $velquin 2>/dev/null' EXIT
until grep -q '^ready' "$HOME/velquin.out" 2>/dev/null; do sleep 0.1; done
sleep 0.5

step "$ ondrel --list   (accessibility is not switched on yet: Ondrel asks for it, waits and restarts itself)"
"$build/app/ondrel" --list

step "\$ ondrel --check \"rm -rf build/\""
"$build/app/ondrel" --check "rm -rf build/"

step "\$ ondrel --once"
"$build/app/ondrel" --once

step "What Velquin saw pressed"
sleep 0.5
grep '^pressed' "$HOME/velquin.out" | sed 's/^pressed\t\(.*\)\t\(.*\)$/  "\1" in [\2]/' || echo "  nothing"
step "The activity log ($HOME/.local/state/Ondrel.log)"
cat "$HOME/.local/state/Ondrel.log"
