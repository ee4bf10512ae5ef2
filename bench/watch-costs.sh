#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What watching costs on GTK 3, Qt 6 and Chromium chat windows of about 2000 labels, side by side in
# one run on a private desktop: a fresh single pass against the pyatspi walk, the idle CPU of Ondrel
# and of Velquin, and how soon a new prompt is pressed. See bench/watch_costs.py.
#   bench/watch-costs.sh [BUILD_DIR[,BUILD_DIR...]] [IDLE_SECONDS] [fresh]   (default build/release, 20;
#   "fresh" measures the fresh pass alone)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

if [ -z "${ONDREL_BENCH_INSIDE:-}" ]; then
    ONDREL_BENCH_INSIDE=1 exec tests/e2e/desktop-session.sh "$0" "$@"
fi

# The pyatspi walk the fresh pass is held against.
/usr/bin/python3 -c "import pyatspi" 2>/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3-pyatspi >/dev/null
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null
exec /usr/bin/python3 bench/watch_costs.py "$build" "${2:-20}" ${3:+"$3"}
