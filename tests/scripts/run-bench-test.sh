#!/usr/bin/env bash
# scripts/run-bench.sh starts the program in the program's own folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/elsewhere"
printf '#!/bin/sh\npwd > "%s/started-in"\n' "$work" > "$work/bin/Varnw"
chmod +x "$work/bin/Varnw"
cd "$work/elsewhere"
QT_QPA_PLATFORM=offscreen bash "$root/scripts/run-bench.sh" ../bin/Varnw
started="$(cat "$work/started-in")"
if [ "$started" != "$work/bin" ]; then
  echo "started in $started, expected $work/bin" >&2
  exit 1
fi
