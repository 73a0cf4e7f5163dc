#!/usr/bin/env bash
# Builds Hourvane and runs every test, headless, with a private PostgreSQL
# server of its own for the tests of the server database (stopped at the end,
# whatever the tests did).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

server_dir=$(mktemp -d /tmp/hourvane-test-server.XXXXXX)
trap 'scripts/test_server.sh stop "$server_dir"' EXIT
eval "$(scripts/test_server.sh start "$server_dir")"
# Here the server is there: a server test that finds none fails, never skips.
export HOURVANE_REQUIRE_TEST_SERVER=1

ctest --test-dir build --output-on-failure -j2
