#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compiles every macOS-only source with clang on this machine, against the declarations in
# tests/macos-sdk (and this machine's Qt headers, for the sources that use Qt), so that the macOS
# backend and the app's macOS side cannot rot unseen where no Mac builds them; then runs
# clang's static analyzer over the same sources with the CoreFoundation ownership checks, which
# read the Create/Copy naming and the CF_RETURNS_RETAINED marks of those declarations.
#   tests/macos-compile-check.sh [CLANG++]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
compiler=${1:-clang++}
qt=$(pkg-config --cflags-only-I Qt6Gui)
flags=(-std=c++20 -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror -I"$root" -isystem "$root/tests/macos-sdk"
       ${qt//-I/-isystem } -fPIC)
objective_cxx=(-x objective-c++ -fobjc-runtime=macosx-13.0 -fblocks)
# The osx checkers are on by default only when the target is a Mac.
analyze=(--analyze -Xanalyzer -analyzer-checker=osx -Xanalyzer -analyzer-werror -o /dev/null)

check() {
    "$compiler" "${flags[@]}" -fsyntax-only "$@"
    "$compiler" "${flags[@]}" "${analyze[@]}" "$@"
}

checked=0
for source in "$root"/platform/macos/*.cpp "$root"/app/integration/macos/*.cpp; do
    check "$source"
    checked=$((checked + 1))
done
for source in "$root"/platform/macos/*.mm "$root"/app/integration/macos/*.mm; do
    check "${objective_cxx[@]}" "$source"
    checked=$((checked + 1))
done
# The shared sources that only a Mac build compiles.
for source in core/MacStatePaths.cpp; do
    check "$root/$source"
    checked=$((checked + 1))
done
echo "macOS sources compile and pass the analyzer: $checked file(s)"
