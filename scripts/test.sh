#!/usr/bin/env bash
# Builds Ondrel with warnings as errors and runs every test, unit and end-to-end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev --parallel 2
