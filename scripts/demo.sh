#!/usr/bin/env bash
# Builds Ondrel and shows it at work.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
ondrel=build/release/app/ondrel

echo; echo "\$ ondrel --help"
"$ondrel" --help
for text in "Velquin wants to run: rm -rf build/" "Velquin wants to run: ls -la"; do
    echo; echo "\$ ondrel --check \"$text\""
    "$ondrel" --check "$text"
done
