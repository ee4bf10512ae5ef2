#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Ondrel needs to build, test and demo, skipping those already there.
#
#   install-deps.sh          everything: the tests, the package and its checks included
#   install-deps.sh demo     only what the demo builds and runs, for a quick first run
set -euo pipefail

demo_packages=(
    # build, with the distribution's hardening flags (dpkg-buildflags)
    cmake ninja-build g++ pkg-config libicu-dev dpkg-dev
    # the decision history's JSON lines
    nlohmann-json3-dev
    # the Linux accessibility backend and the tray application
    libatspi2.0-dev libglib2.0-dev qt6-base-dev
    # the test and benchmark libraries, which configuring the build looks for
    libgtest-dev libgmock-dev libbenchmark-dev
    # the private desktop of the end-to-end tests and the demo, and its stand-in target
    libgtk-3-dev xvfb dbus-daemon dbus-bin libglib2.0-bin at-spi2-core openbox
)
other_packages=(
    # clang for the compile check of the macOS sources, the sanitizer build, tidy and, with libFuzzer,
    # the fuzzers
    clang clang-tidy libclang-rt-dev
    # the package and the installed tree, and the tools that check them
    file desktop-file-utils libxml2-utils groff-base systemd lintian appstream
    # targets of other toolkits in the desktop tests: GTK 3 and 4 and Qt 6 from Python, and Chromium
    python3 python3-gi gir1.2-gtk-3.0 gir1.2-gtk-4.0 python3-pyqt6 chromium
    # a desktop notification service, for the notices about skipped prompts
    notification-daemon
)
case "${1:-all}" in
    all) packages=("${demo_packages[@]}" "${other_packages[@]}") ;;
    demo) packages=("${demo_packages[@]}") ;;
    *) echo "usage: $0 [demo]" >&2; exit 64 ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
