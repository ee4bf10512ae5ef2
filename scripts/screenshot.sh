#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts Ondrel's window on a private desktop against the stand-in Velquin and writes a screenshot
# (docs/screenshot.png unless a path is given).
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/screenshot.png}")

scripts/install-deps.sh
if ! command -v import >/dev/null || ! command -v xdotool >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends imagemagick xdotool
fi
cmake --preset release >/dev/null
cmake --build --preset release
ONDREL_SCREEN=1600x900x24 tests/e2e/desktop-session.sh scripts/screenshot-inside.sh "$PWD/build/release" "$output"
