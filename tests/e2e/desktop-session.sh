#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command inside a private desktop session and cleans up everything it started:
# Xvfb on a free display, a private session bus, the accessibility bus with its registry, and
# openbox (so that windows can be minimized). Used by the end-to-end tests and the demo.
#
#   desktop-session.sh COMMAND [ARGUMENT...]     (ONDREL_SCREEN sets the screen, default 1280x800x24)
set -euo pipefail

if [ -z "${ONDREL_INSIDE_SESSION_BUS:-}" ]; then
    runtime=$(mktemp -d /tmp/ondrel-desktop.XXXXXX)
    cleanup() {
        [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
        rm -rf "$runtime"
    }
    trap cleanup EXIT

    # Xvfb picks a free display itself and writes its number.
    Xvfb -displayfd 3 -nolisten tcp -screen 0 "${ONDREL_SCREEN:-1280x800x24}" 3>"$runtime/display" 2>"$runtime/xvfb.log" &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$runtime/display" ] && break; sleep 0.05; done
    [ -s "$runtime/display" ] || { echo "Xvfb did not start:" >&2; cat "$runtime/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$(cat "$runtime/display")"
    export XDG_RUNTIME_DIR="$runtime"
    export GSETTINGS_BACKEND=memory   # no dconf service on a private bus
    export NO_AT_BRIDGE=0
    # dbus-run-session ends the private bus, and with it the accessibility bus, when the command ends.
    ONDREL_INSIDE_SESSION_BUS=1 dbus-run-session -- "$0" "$@" 2> >(grep -v "Failed to set fd limit" >&2)
    exit $?
fi

started=()
stop_started() { for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_started EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
started+=($!)
for _ in $(seq 100); do
    # Asking the bus, not the name, so that nothing is auto-started in the launcher's place.
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q "boolean true" && break
    sleep 0.05
done
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    started+=($!)
fi

"$@"
