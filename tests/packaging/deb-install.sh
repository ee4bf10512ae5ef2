#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the .deb from a build folder, has lintian check it as Debian checks its own, installs it with
# dpkg into an empty root and runs the installed program from there; checks that the package depends on
# the package of every library the program links.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/ondrel-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
deb=$(echo "$work"/out/ondrel_*.deb)
[ -f "$deb" ] || fail "no package in $work/out"

# Debian's own checks: no error or warning (the package's overrides carry their reasons), nothing left
# in that stripping takes out, and, in a build with the distribution's flags, no hardening missing. Other
# info tags can be false (strings finds "words" in machine code).
lintian --pedantic -I -E --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(grep -v '^running with root privileges' "$work/lintian.log")"
unwanted=binary-has-unneeded-section
grep -qx 'ONDREL_HARDENING:BOOL=ON' "$build/CMakeCache.txt" && unwanted+='|hardening-'
! grep -E ": ($unwanted)" "$work/lintian.log" || fail "lintian finds the above"

# An empty root with its own dpkg database; the libraries themselves come from this machine.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg --root="$root" --log=/dev/null --force-depends --force-not-root -i "$deb" >"$work/dpkg.log" 2>&1 ||
    fail "dpkg -i: $(cat "$work/dpkg.log")"
program=$root/usr/bin/ondrel
dpkg --root="$root" -L ondrel | grep -qx /usr/bin/ondrel || fail "dpkg does not list /usr/bin/ondrel"

help=$(env -i HOME="$work" "$program" --help) || fail "ondrel --help failed"
[[ $help == "Ondrel - auto-press Velquin's \"Allow\" button."* ]] || fail "ondrel --help printed: $help"
verdict=$(env -i HOME="$work" "$program" --check "rm -rf x") || fail "ondrel --check failed"
[ "$verdict" = 'DANGER: matched "rm -rf" -> would SKIP' ] || fail "ondrel --check printed: $verdict"

# The command-line program and the tray application it becomes, each with all it links provided for.
tray=$root/usr/libexec/ondrel/ondrel-tray
[ -x "$tray" ] || fail "the package has no tray application at /usr/libexec/ondrel/ondrel-tray"
! objdump -p "$program" | grep -q 'NEEDED *libQt' || fail "the command-line program loads Qt"
depends=$(dpkg-deb -f "$deb" Depends)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for binary in "$program" "$tray"; do
    ! objdump -p "$binary" | grep -qE '^ *(RPATH|RUNPATH) ' || fail "$binary keeps a build path"
    for soname in $(objdump -p "$binary" | awk '$1 == "NEEDED" { print $2 }'); do
        owner=$(dpkg-query -S "*/$multiarch/$soname" 2>/dev/null | head -n1 | cut -d: -f1)
        [ -n "$owner" ] || fail "no package on this machine holds $soname"
        [[ ", $depends," == *", $owner "* || ", $depends," == *", $owner,"* ]] ||
            fail "Depends lacks $owner (for $soname): $depends"
    done
done
echo "$(basename "$deb") installs and runs; Depends: $depends"
