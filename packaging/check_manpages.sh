#!/usr/bin/env bash
# The manual pages render without a warning, and each names every option and command its program's
# --help lists, so the two cannot drift apart.
# usage: check_manpages.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2
status=0
for entry in "vqctl:cli/vqctl" "vq-r310ntx:app/vq-r310ntx" "vq-camera-sim:sim/vq-camera-sim"; do
  program=${entry%%:*}
  page="$source/packaging/man/$program.1"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  if [ -n "$warnings" ]; then
    echo "FAIL: $program.1 renders with warnings:"; echo "$warnings"; status=1
  fi
  text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$page" 2>/dev/null | col -b)
  help=$(QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$build/${entry#*:}" --help)
  # Options, and for vqctl the commands (the first word of each command line in its help).
  names=$(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)
  [ "$program" = vqctl ] && names+=$'\n'$(sed -n '/^Commands:/,/^NAME/p' <<<"$help" | grep -oE '^  [a-z][a-z-]*' | sort -u)
  for name in $names; do
    grep -qF -- "$name" <<<"$text" || { echo "FAIL: $program.1 does not mention $name"; status=1; }
  done
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES ENVIRONMENT EXAMPLES "SEE ALSO"; do
    grep -q "^$section" <<<"$text" || { echo "FAIL: $program.1 has no $section"; status=1; }
  done
done
[ "$status" -eq 0 ] && echo "manual pages checked"
exit "$status"
