#!/usr/bin/env bash
# vq-r310ntx.exe under wine, on a virtual X display with Qt's windows platform: xdotool plays the
# operator and accepts the setup dialog (COM1), the program reads the simulated camera through the
# COM port the private prefix maps to the simulator, and the main window comes up with the panel.
# The screen is kept as a PNG for review.
# Usage: window_program_test.sh VQ_CAMERA_SIM VQ_R310NTX_EXE SCREENSHOT_PNG (with VQ_WINE_PREFIX set)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/windows.d/wine.sh"
SIM="${1:?usage: window_program_test.sh VQ_CAMERA_SIM VQ_R310NTX_EXE SCREENSHOT_PNG}"
PROGRAM="${2:?usage: window_program_test.sh VQ_CAMERA_SIM VQ_R310NTX_EXE SCREENSHOT_PNG}"
SHOT="${3:?usage: window_program_test.sh VQ_CAMERA_SIM VQ_R310NTX_EXE SCREENSHOT_PNG}"
# A prefix of its own beside the tests' one: wine shows every window of a prefix on the display of
# the program that first needed its desktop, which in the shared prefix is a test without one.
PREFIX="${VQ_WINE_PREFIX:?set VQ_WINE_PREFIX to the private wine prefix}-window"
export VQ_WINE_PREFIX="$PREFIX"
COM=1

work="$(mktemp -d)"
pids=()
cleanup() {
  exec 8>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  wine_unmap_com "$PREFIX" "$COM" >/dev/null 2>&1 || true
  wine_in "$PREFIX" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "window_program_test: FAIL: $*" >&2; exit 1; }
pass() { echo "window_program_test: ok: $*"; }

wine_prefix_ready "$PREFIX" || fail "the wine prefix could not be made ready"

# A display of our own, its screen kept in a file for the picture.
wine_display_start "$work" || fail "Xvfb did not start"
pids+=("$WINE_DISPLAY_PID")

mkfifo "$work/in"
"$SIM" --end-with-stdin --baud 115200 <"$work/in" >"$work/pty" &
pids+=($!)
exec 8>"$work/in"
for _ in $(seq 100); do [ -s "$work/pty" ] && break; sleep 0.05; done
pty="$(head -1 "$work/pty")"
[ -c "$pty" ] || fail "the simulator did not start"
wine_map_com "$PREFIX" "$COM" "$pty" || fail "COM$COM could not be mapped"

# The windows platform, as on the operator's PC; wine-run passes no platform when none is set.
env -u QT_QPA_PLATFORM "$ROOT/scripts/windows.d/wine-run" "$PROGRAM" >"$work/out" 2>"$work/err" &
program=$!
pids+=("$program")

timeout 120 xdotool search --sync --onlyvisible --name '^Select Communication System$' >"$work/dialog" ||
  fail "the setup dialog did not appear; stderr: $(cat "$work/err")"
pass "the setup dialog appeared"
xdotool key --window "$(head -1 "$work/dialog")" Return
timeout 60 xdotool search --sync --onlyvisible --name '^VQ-R310NTX' >"$work/main" ||
  fail "the main window did not appear; stderr: $(cat "$work/err")"
# The read of every setting ends before the panel is filled; give it the line's time and more.
sleep 3
kill -0 "$program" 2>/dev/null || fail "the program ended; stderr: $(cat "$work/err")"
title="$(xdotool getwindowname "$(head -1 "$work/main")")"
pass "the main window \"$title\" is up after reading the camera on COM$COM"

mkdir -p "$(dirname "$SHOT")"
xwdtopnm "$work/Xvfb_screen0" 2>/dev/null | pnmtopng >"$SHOT" 2>/dev/null || fail "the screen could not be saved"
pass "the screen is in $SHOT"
[ ! -s "$work/err" ] || echo "window_program_test: the program's standard error: $(cat "$work/err")"

# Last, since the window above must be the prefix's first: --version typed in a console (cmd)
# reaches that console, though the program is a windowed one.
version="$(wine_in "$PREFIX" wine cmd /c "$(wine_in "$PREFIX" winepath -w "$PROGRAM")" --version 2>/dev/null | tr -d '\r')"
[[ "$version" =~ ^vq-r310ntx\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version in cmd printed '$version'"
pass "--version in a console: $version"
