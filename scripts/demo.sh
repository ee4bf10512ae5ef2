#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Ondrel and shows it at work on a private desktop against the stand-in Velquin:
# one harmless prompt gets pressed, one risky prompt is left for the user.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh demo
cmake --preset release >/dev/null
# Only what the demo runs, the program and the stand-in; the tests and benchmarks would take minutes more.
cmake --build --preset release --target ondrel velquin-standin

tests/e2e/desktop-session.sh scripts/demo-inside.sh "$PWD/build/release"
