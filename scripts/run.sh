#!/usr/bin/env bash
# Builds Hourvane and starts it. Without a display it starts the program on a
# virtual X display (Xvfb) and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Hourvane on a virtual X display (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/hourvane
fi
exec build/bin/hourvane
