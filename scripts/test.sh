#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Ondrel with warnings as errors and runs every test, unit and end-to-end; then builds it with
# AddressSanitizer and UndefinedBehaviorSanitizer (leaks on) and runs there the tests that need no desktop.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev --parallel 2

cmake --preset asan
cmake --build --preset asan
ctest --preset asan --parallel 2
