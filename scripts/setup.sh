#!/usr/bin/env bash
# Installs the Debian packages that are missing and configures the build in
# ./build. Used by run.sh and test.sh.
#   setup.sh program    what building and running the program needs; a new
#                       build folder leaves out the tests, benchmarks and
#                       manual page
#   setup.sh everything the tests, benchmarks and package checks as well
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-everything}

# Building and running the program (asciidoctor makes the manual it shows).
packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev libsqlite3-dev libpq-dev mdbtools-dev libxlsxwriter-dev
  xvfb xauth fonts-liberation asciidoctor
)
# The tests, the benchmarks, the manual page and the package with its checks.
test_packages=(
  libgtest-dev libbenchmark-dev poppler-utils xz-utils postgresql openssl python3 python3-openpyxl
  dpkg-dev file binutils
  desktop-file-utils appstream lintian man-db groff-base
)
case $mode in
  program) ;;
  everything) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [program|everything]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A compiler cache, where the machine has one, makes rebuilds quick.
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
  # It may reuse what it compiled with the precompiled headers only when told
  # that their macros and time stamps do not change what it keeps.
  options+=("-DCMAKE_CXX_COMPILER_LAUNCHER=env;CCACHE_SLOPPINESS=pch_defines,time_macros;ccache")
fi
if [ "$mode" = everything ]; then
  options+=(-DHOURVANE_BUILD_TESTS=ON -DHOURVANE_BUILD_BENCH=ON -DHOURVANE_BUILD_DOCS=ON)
elif [ ! -f build/CMakeCache.txt ]; then
  options+=(-DHOURVANE_BUILD_TESTS=OFF -DHOURVANE_BUILD_BENCH=OFF -DHOURVANE_BUILD_DOCS=OFF)
fi
cmake -S . -B build "${options[@]}" >/dev/null
