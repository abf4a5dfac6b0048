#!/usr/bin/env bash
# Starts the bench, or says how to give it a display when there is none.
set -euo pipefail
program="$1"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
There is no display to show the bench on (neither DISPLAY nor WAYLAND_DISPLAY is set).
Give it one, for example a virtual one:
    xvfb-run -a make run
or run it from a desktop session, or point DISPLAY at an X server (DISPLAY=:0 make run).
MSG
  exit 1
fi
# From its own folder: "Interface &Test" runs AppVnApi from the current folder,
# and AppVnApi is built beside the bench.
cd "$(dirname "$program")"
exec "./$(basename "$program")"
