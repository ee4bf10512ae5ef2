#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compares a real Ondrel pass over AT-SPI with the pyatspi walk a user would script, on the same
# stand-in window of about 2000 widgets, in one private desktop session.
#   bench/atspi-compare.sh [BUILD_DIR]     (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

if [ -z "${ONDREL_BENCH_INSIDE:-}" ]; then
    ONDREL_BENCH_INSIDE=1 exec tests/e2e/desktop-session.sh "$0" "$build"
fi

gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null
out=$(mktemp)
"$build/tests/velquin-standin" bench/atspi-window.scenario >"$out" 2>/dev/null &
velquin=$!
trap 'kill $velquin 2>/dev/null; rm -f "$out"' EXIT
until grep -q '^ready' "$out"; do sleep 0.1; done
sleep 1

HOME=$(mktemp -d) "$build/bench/ondrel_atspi_bench" --benchmark_counters_tabular=true
/usr/bin/python3 bench/pyatspi_walk.py 5
