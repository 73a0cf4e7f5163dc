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

# The programs whose tests touch paper, locale, dates and reports once more
# under another language, a time zone a day ahead and a paper file that says
# the opposite: the tests set what they depend on, so the machine's own
# settings never decide a result.
other_paper=$(mktemp /tmp/hourvane-paper.XXXXXX)
echo a4 >"$other_paper"
env LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 LC_PAPER=de_DE.UTF-8 TZ=Pacific/Kiritimati \
  PAPERSIZE=a4 PAPERCONF="$other_paper" \
  ctest --test-dir build --output-on-failure -j2 \
  -L '^hourvane_(core|report_core|reports|entries|week_grid|statements|cli|list|import)_tests$'
rm -f "$other_paper"

# The layers without windows once more under AddressSanitizer and UBSan.
scripts/test_sanitized.sh
