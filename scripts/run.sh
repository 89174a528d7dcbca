#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds, starts the camera simulator with its
# default fleet in the background and opens the main window against it. The simulator stops when
# the window closes.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
./scripts/setup.sh "$build_dir"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "run: start it from a desktop session, or on a virtual display:" >&2
  echo "       xvfb-run -a -s '-screen 0 1600x1000x24' ./scripts/run.sh" >&2
  exit 2
fi

bin="$build_dir/bin"
camsim_pid=""
if [ -x "$bin/camsim" ]; then
  "$bin/camsim" &
  camsim_pid=$!
  trap '[ -n "$camsim_pid" ] && kill "$camsim_pid" 2>/dev/null; wait "$camsim_pid" 2>/dev/null || true' EXIT
  sleep 0.5
fi
"$bin/ravendock"
