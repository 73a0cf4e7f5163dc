#!/usr/bin/env bash
# Builds the tests that open no window (core, data, import, backup, the report
# engine, the windows' SQL texts) with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-sanitize/ and runs them: the first fault
# stops its test with a stack.
# Run by test.sh after the plain tests, with the same test server, if any.
set -euo pipefail
cd "$(dirname "$0")/.."

# Light optimisation and line tables for the program's code, none for the
# tests' own: enough for the sanitizers' stacks, and far quicker to build than
# -O2 -g.
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DHOURVANE_SANITIZE=ON
  -DHOURVANE_BUILD_TESTS=ON -DHOURVANE_BUILD_BENCH=OFF -DHOURVANE_BUILD_DOCS=OFF)
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
  # It may reuse what it compiled with the precompiled headers only when told
  # that their macros and time stamps do not change what it keeps.
  options+=("-DCMAKE_CXX_COMPILER_LAUNCHER=env;CCACHE_SLOPPINESS=pch_defines,time_macros;ccache")
fi
cmake -S . -B build-sanitize "${options[@]}" >/dev/null
targets=(hourvane_core_tests hourvane_file_tests hourvane_data_tests hourvane_import_tests
  hourvane_backup_tests hourvane_report_core_tests hourvane_statements_tests)
cmake --build build-sanitize -j"$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
suppressions=$PWD/tests/sanitizer_suppressions
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:suppressions=$suppressions/address.txt"
export LSAN_OPTIONS="suppressions=$suppressions/leaks.txt:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$suppressions/undefined.txt"
# Only the programs built here: the others' tests are listed as not built.
ctest --test-dir build-sanitize --output-on-failure -j2 -E '_NOT_BUILT$'
