#!/usr/bin/env bash
# Builds everything and runs every test headless, the checks of the Debian
# package among them, with a private PostgreSQL server of its own for the
# tests of the server database (stopped at the end, whatever the tests did).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh everything
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen

server_dir=$(mktemp -d /tmp/hourvane-test-server.XXXXXX)
trap 'scripts/test_server.sh stop "$server_dir"' EXIT
server_environment=$(scripts/test_server.sh start "$server_dir")
eval "$server_environment"
# Here the server is there: a server test that finds none fails, never skips.
export HOURVANE_REQUIRE_TEST_SERVER=1

ctest --test-dir build --output-on-failure -j2

# The layers without windows once more under AddressSanitizer and UBSan.
scripts/test_sanitized.sh
