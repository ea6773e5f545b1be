#!/bin/sh
# Runs one user path of an end-to-end driver inside a private virtual display and a private session bus with
# the accessibility bus started in it.
#   run_e2e.sh PYTHON DRIVER PATH PROGRAM WORKDIR
set -u
python=$1
driver=$2
path=$3
program=$4
workdir=$5

fail() {
    echo "E2E SETUP FAILURE: $*" >&2
    exit 1
}

command -v xvfb-run >/dev/null 2>&1 || fail "xvfb-run is missing (install xvfb and xauth: scripts/install-deps.sh)"
command -v dbus-run-session >/dev/null 2>&1 || fail "dbus-run-session is missing (install dbus)"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || fail "$launcher is missing (install at-spi2-core)"
"$python" -c 'import pyatspi' 2>/dev/null || fail "$python cannot import pyatspi (install python3-pyatspi)"
[ -x "$program" ] || fail "the program $program was not built"
command -v xdotool >/dev/null 2>&1 || fail "xdotool is missing (scripts/install-deps.sh)"

mkdir -p "$workdir"
export KESTREL_E2E_LAUNCHER="$launcher"
# timeout: whatever goes wrong, the test ends and takes its display and buses with it.
exec timeout -k 10 150 xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- "$python" "$driver" "$path" "$program" "$workdir"
