#!/usr/bin/env bash
# Builds everything and runs every test headless, the checks of the Debian
# package among them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh everything
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
