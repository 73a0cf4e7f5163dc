#!/usr/bin/env bash
# Builds what Hourvane needs (the program and the files of its folder) and
# starts it. Without a display it starts the program on a virtual X display
# (Xvfb) and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh program
cmake --build build -j"$(nproc)" --target hourvane
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Hourvane on a virtual X display (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/hourvane "$@"
fi
exec build/bin/hourvane "$@"
