#!/usr/bin/env bash
# Builds the call log and starts it in the per-user folder that its desktop menu
# entry uses (~/.local/share/CallLog), or in CALLLOG_WORKDIR where that is set.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

calllog_install_packages "${CALLLOG_PACKAGES[@]}"
calllog_build "$CALLLOG_ROOT/build" -- Vorlen3 VNConfig manual

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "The call log is a desktop program and there is no display here (DISPLAY is not set)." >&2
    echo "Run this command from a desktop session, or start an X server and set DISPLAY." >&2
    exit 1
fi

# Create New finds VNConfig beside Vorlen3, and About > Manual the VNUM.pdf
# built there, so nothing is copied into the working folder.
bin="$CALLLOG_ROOT/build/bin"
if [ -n "${CALLLOG_WORKDIR:-}" ]; then
    echo "Starting Vorlen3 in $CALLLOG_WORKDIR"
    exec "$bin/Vorlen3" --folder "$CALLLOG_WORKDIR"
fi
echo "Starting Vorlen3 in ${XDG_DATA_HOME:-$HOME/.local/share}/CallLog"
exec "$bin/Vorlen3" --user-folder
