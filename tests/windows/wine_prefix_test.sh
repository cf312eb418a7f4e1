#!/usr/bin/env bash
# Checks how a new private wine prefix is made when wine's first registry write fails, with stand-ins
# for wine's programs (no wine is run): a write that fails a few times is tried again and the prefix
# is made; one that keeps failing ends the creation with wine's own words on standard error.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "wine_prefix_test: FAIL: $*" >&2; exit 1; }

mkdir "$work/bin"
cat >"$work/bin/wineboot" <<'EOF'
#!/bin/sh
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts" "$WINEPREFIX/dosdevices" && touch "$WINEPREFIX/system.reg"
EOF
cat >"$work/bin/wineserver" <<'EOF'
#!/bin/sh
exit 0
EOF
# "wine reg" fails as many times as $WINE_FAKE_REG_FAILURES says, counted in the prefix's folder.
cat >"$work/bin/wine" <<'EOF'
#!/bin/sh
[ "$1" = reg ] || exit 0
count="$(cat "$WINEPREFIX.regcount" 2>/dev/null || echo 0)"
echo $((count + 1)) >"$WINEPREFIX.regcount"
if [ "$count" -lt "$WINE_FAKE_REG_FAILURES" ]; then
  echo "wine client error:0: no server, fake failure $((count + 1))" >&2
  exit 1
fi
echo "reg: The operation completed successfully"
EOF
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" WINE_REG_PAUSE=0

# failures before the write goes through | whether the prefix is made | what standard error holds
cases=(
  "0|yes|"
  "3|yes|"
  "99|no|fake failure 5"
)
for row in "${cases[@]}"; do
  IFS='|' read -r failures made words <<<"$row"
  prefix="$work/prefix-$failures"
  status=0
  WINE_FAKE_REG_FAILURES="$failures" \
    bash -c 'source "$1/scripts/windows.d/wine.sh" && wine_prefix_ready "$2"' _ "$ROOT" "$prefix" \
    2>"$work/err" || status=$?
  if [ "$made" = yes ]; then
    [ "$status" -eq 0 ] || fail "$failures failures: creation failed: $(cat "$work/err")"
    [ -f "$prefix/.vq-ready" ] || fail "$failures failures: the prefix is not marked ready"
  else
    [ "$status" -ne 0 ] || fail "$failures failures: reported as made"
    [ ! -f "$prefix/.vq-ready" ] || fail "$failures failures: a failed prefix is marked ready"
    grep -q "$words" "$work/err" || fail "$failures failures: wine's own words are not shown: $(cat "$work/err")"
    grep -q "turning winemenubuilder off in $prefix failed" "$work/err" || fail "$failures failures: no summary line"
    tries="$(cat "$prefix.regcount")"
    [ "$tries" -eq 5 ] || fail "$failures failures: $tries tries instead of 5"
  fi
done
echo "wine_prefix_test: a failing registry write is tried again, and shown when it keeps failing"
