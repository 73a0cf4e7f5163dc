#!/usr/bin/env bash
# Makes the Debian package and checks it with the system's own tools.
#   check_package.sh CHECK BUILD_DIR VERSION EXPECTED_CONTENTS
# "builds" makes the package in BUILD_DIR/package-check and unpacks it there;
# every other check reads what it unpacked.
set -euo pipefail

check=$1
build=$2
version=$3
expected_contents=$4

work=$build/package-check
root=$work/root
arch=$(dpkg --print-architecture)
deb=$work/hourvane_${version}_${arch}.deb
program=$root/usr/lib/hourvane/hourvane
manual=$root/usr/share/man/man1/hourvane.1.gz

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The manual page as plain text, as a terminal shows it (warnings to $1).
render_manual() {
  LC_ALL=C MANWIDTH=100 MANPAGER=cat PAGER=cat man --warnings=w -l "$manual" 2>"$1"
}

# The long options named in the first column of a program's usage text.
usage_options() {
  grep -E '^[[:space:]]+-' | sed -E 's/^[[:space:]]+//; s/[[:space:]]{2,}.*$//' \
    | grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u
}

# The long options the manual page's OPTIONS section describes.
manual_options() {
  render_manual /dev/null | sed -n '/^OPTIONS$/,/^[A-Z]/p' \
    | grep -E '^ {7}-' | grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u
}

case $check in
builds)
  rm -rf "$work"
  mkdir -p "$work"
  (cd "$build" && cpack -G DEB -B "$work")
  made=$(cd "$work" && ls -- *.deb)
  [ "$made" = "$(basename "$deb")" ] || fail "expected one package $(basename "$deb"), made: $made"
  dpkg-deb -x "$deb" "$root"
  dpkg-deb -e "$deb" "$work/control"
  ;;

contents)
  listing=$(dpkg-deb -c "$deb")
  not_root=$(awk '$2 != "root/root"' <<<"$listing")
  [ -z "$not_root" ] || fail "entries not owned by root/root:"$'\n'"$not_root"
  # Every file and link, folders aside, exactly as expected.
  files=$(awk '$1 !~ /^d/' <<<"$listing" | sed -E 's/^([^ ]+ +){5}//' | sort)
  diff -u <(sort "$expected_contents") <(printf '%s\n' "$files") \
    || fail "the package's files differ from $expected_contents"
  bad_modes=$(awk '$1 ~ /^-/ && $1 != "-rw-r--r--" && $6 != "./usr/lib/hourvane/hourvane"' <<<"$listing")
  [ -z "$bad_modes" ] || fail "data files not 0644:"$'\n'"$bad_modes"
  grep -qE '^-rwxr-xr-x .* \./usr/lib/hourvane/hourvane$' <<<"$listing" || fail "the program is not 0755"
  file "$program" | grep -q ', stripped' || fail "the program is not stripped: $(file "$program")"
  # Hardened as the system's own programs: no compiler notes, guarded stacks,
  # fortified buffer calls, relocations read-only and bound at start.
  sections=$(readelf -S -W "$program")
  ! grep -qw '\.comment' <<<"$sections" || fail "the program carries a .comment section"
  symbols=$(readelf --dyn-syms -W "$program")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "the program is built without stack protection"
  grep -E '__[a-z_]+_chk@' <<<"$symbols" | grep -qv '__stack_chk_fail' \
    || fail "the program calls no fortified function"
  dynamic=$(readelf -d -W "$program")
  grep -q 'BIND_NOW' <<<"$dynamic" || fail "the program is not linked with -z now"
  control=$work/control/control
  grep -qx "Version: $version" "$control" || fail "package version is not $version"
  grep -qx "Architecture: $arch" "$control" || fail "package architecture is not $arch"
  for dependency in fonts-liberation libqt6widgets6 libsqlite3-0; do
    grep -E '^Depends:' "$control" | grep -qw -- "$dependency" || fail "Depends lacks $dependency"
  done
  grep -qx 'License: GPL-3.0-or-later' "$root/usr/share/doc/hourvane/copyright" \
    || fail "the copyright file names no GPL-3.0-or-later licence"
  ;;

desktop_entry)
  for entry in "$root"/usr/share/applications/*.desktop; do
    report=$(desktop-file-validate "$entry" 2>&1) || fail "$report"
    [ -z "$report" ] || fail "desktop-file-validate: $report"
  done
  ;;

metainfo)
  for metainfo in "$root"/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$metainfo"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in $metainfo"
  done
  # The metadata, its file name and the desktop entry it launches agree.
  appstreamcli validate-tree --no-net "$root"
  ;;

manual_page)
  text=$(render_manual "$work/man-warnings.txt")
  [ ! -s "$work/man-warnings.txt" ] || fail "man reports: $(cat "$work/man-warnings.txt")"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' ENVIRONMENT FILES EXAMPLES; do
    grep -qx "$section" <<<"$text" || fail "the manual page has no $section section"
  done
  grep -q "^Hourvane $version " <<<"$text" || fail "the manual page's footer does not name version $version"
  ;;

manual_page_options)
  # Until the program reads a command line, --help would open the window.
  if ! nm -D --undefined-only "$build/bin/hourvane" | grep -q QCommandLineParser; then
    echo "The program reads no command line: no options to compare."
    exit 0
  fi
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  run() {
    env -i PATH="$PATH" HOME="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
      QT_QPA_PLATFORM=offscreen timeout 60 "$build/bin/hourvane" "$@"
  }
  usage=$(run --help) || fail "hourvane --help failed or did not end"
  documented=$(manual_options)
  [ -n "$documented" ] || fail "no options found in the manual page's OPTIONS"
  missing=$(comm -23 <(usage_options <<<"$usage") <(printf '%s\n' "$documented"))
  [ -z "$missing" ] || fail "options of --help missing from the manual page: $missing"
  shown=$(run --version) || fail "hourvane --version failed or did not end"
  grep -qw -- "$version" <<<"$shown" || fail "hourvane --version shows \"$shown\", not $version"
  ;;

lintian)
  lintian --info --display-info --fail-on error "$deb"
  ;;

*)
  fail "unknown check $check"
  ;;
esac
