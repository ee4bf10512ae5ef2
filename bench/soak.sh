#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The soak benchmark on a private desktop: see bench/soak.py.
#   bench/soak.sh [BUILD_DIR] [MINUTES] [FLOOD_SECONDS]     (default build/release, 6, 60)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

if [ -z "${ONDREL_BENCH_INSIDE:-}" ]; then
    ONDREL_BENCH_INSIDE=1 exec tests/e2e/desktop-session.sh "$0" "$@"
fi

gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null
exec /usr/bin/python3 bench/soak.py "$build" "${2:-6}" "${3:-60}"
