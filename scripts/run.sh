#!/usr/bin/env bash
# Builds the call log and starts it in its working folder
# (CALLLOG_WORKDIR, by default ~/CallLog), where its files live.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

calllog_install_packages "${CALLLOG_PACKAGES[@]}"
calllog_build "$CALLLOG_ROOT/build" -- Vorlen3 VNConfig manual

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "The call log is a desktop program and there is no display here (DISPLAY is not set)." >&2
    echo "Run this command from a desktop session, or start an X server and set DISPLAY." >&2
    exit 1
fi

workdir=${CALLLOG_WORKDIR:-$HOME/CallLog}
mkdir -p "$workdir"
bin="$CALLLOG_ROOT/build/bin"
# The configuration manager and the manual go into the working folder, where
# Create New and About > Manual look for them.
cp -f "$bin/VNConfig" "$workdir/"
[ -f "$bin/VNUM.pdf" ] && cp -f "$bin/VNUM.pdf" "$workdir/"
cd "$workdir"
echo "Starting Vorlen3 in $workdir"
exec "$bin/Vorlen3"
