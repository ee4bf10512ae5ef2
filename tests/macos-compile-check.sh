#!/usr/bin/env bash
# Compiles every macOS-only source with clang on this machine, against the declarations in
# tests/macos-sdk, so that the macOS backend cannot rot unseen where no Mac builds it.
#   tests/macos-compile-check.sh [CLANG++]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
compiler=${1:-clang++}
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Werror -I"$root" -isystem "$root/tests/macos-sdk")

checked=0
for source in "$root"/platform/macos/*.cpp; do
    "$compiler" "${flags[@]}" "$source"
    checked=$((checked + 1))
done
for source in "$root"/platform/macos/*.mm; do
    "$compiler" "${flags[@]}" -x objective-c++ -fobjc-runtime=macosx-13.0 "$source"
    checked=$((checked + 1))
done
# The parts of shared sources that only a Mac build compiles.
for source in app/BundleRelaunch.cpp app/Relaunch.cpp core/ActivityLog.cpp; do
    "$compiler" "${flags[@]}" -D__APPLE__ "$root/$source"
    checked=$((checked + 1))
done
echo "macOS sources compile: $checked file(s)"
