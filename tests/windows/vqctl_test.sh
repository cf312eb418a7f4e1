#!/usr/bin/env bash
# vqctl.exe under wine against the Linux simulated camera, reached through a COM port that the
# private prefix maps to the simulator's pseudo-terminal: a read-all, a write read back, a silent
# camera's time-out, recovery from a bad reply, Ctrl+C letting the port go, the read-all's time
# against the bytes' time on a line paced at 9600 baud, and the link check reading an FTDI
# adapter's latency timer from the registry.
# Usage: vqctl_test.sh VQ_CAMERA_SIM VQCTL_EXE (with VQ_WINE_PREFIX set)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/windows.d/wine.sh"
SIM="${1:?usage: vqctl_test.sh VQ_CAMERA_SIM VQCTL_EXE}"
VQCTL="${2:?usage: vqctl_test.sh VQ_CAMERA_SIM VQCTL_EXE}"
PREFIX="${VQ_WINE_PREFIX:?set VQ_WINE_PREFIX to the private wine prefix}"
RUN="$ROOT/scripts/windows.d/wine-run"
COM=7

work="$(mktemp -d)"
sim_pid=""
stop_camera() {
  if [ -n "$sim_pid" ]; then
    exec 8>&-  # the simulator ends with its standard input
    wait "$sim_pid" || true
    sim_pid=""
  fi
}
cleanup() {
  stop_camera
  wine_unmap_com "$PREFIX" "$COM" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "vqctl_test: FAIL: $*" >&2; exit 1; }
pass() { echo "vqctl_test: ok: $*"; }

# start_camera SIM_OPTIONS...: a fresh camera behind COM$COM.
start_camera() {
  stop_camera
  rm -f "$work/in" "$work/pty"
  mkfifo "$work/in"
  "$SIM" --end-with-stdin "$@" <"$work/in" >"$work/pty" &
  sim_pid=$!
  exec 8>"$work/in"
  for _ in $(seq 100); do [ -s "$work/pty" ] && break; sleep 0.05; done
  local pty
  pty="$(head -1 "$work/pty")"
  [ -c "$pty" ] || fail "the simulator did not start"
  wine_map_com "$PREFIX" "$COM" "$pty" || fail "COM$COM could not be mapped to $pty"
}

# vqctl ARGS...: sets STATUS, OUT and ERR (line ends as Linux writes them) and SECONDS_TAKEN.
vqctl() {
  local started ended
  started=$(date +%s%N)
  set +e
  "$RUN" "$VQCTL" --com "$COM" "$@" >"$work/out" 2>"$work/err"
  STATUS=$?
  set -e
  ended=$(date +%s%N)
  SECONDS_TAKEN=$(awk -v ns=$((ended - started)) 'BEGIN { printf "%.3f", ns / 1e9 }')
  OUT="$(tr -d '\r' <"$work/out")"
  ERR="$(tr -d '\r' <"$work/err")"
}

expect_status() {
  [ "$STATUS" = "$1" ] || fail "$2: exit $STATUS, not $1; stderr: $ERR"
}

wine_prefix_ready "$PREFIX" || fail "the wine prefix could not be made ready"

start_camera --baud 115200
vqctl read-all
expect_status 0 "read-all"
[ "$(grep -c '=' <<<"$OUT")" = 46 ] || fail "read-all printed $(grep -c '=' <<<"$OUT") rows, not 46"
grep -qx 'GainLevel=168' <<<"$OUT" || fail "read-all lacks GainLevel=168"
[ -z "$ERR" ] || fail "read-all wrote to standard error: $ERR"
pass "read-all: 46 rows in $SECONDS_TAKEN s"

vqctl set GainLevel 0x12C
expect_status 0 "set"
vqctl get gainlevel
expect_status 0 "get after set"
[ "$OUT" = 300 ] || fail "the camera holds $OUT after set, not 300"
pass "set GainLevel 0x12C reads back 300"

vqctl --json get GainLevel
expect_status 0 "get --json"
[ "$OUT" = '{"name":"GainLevel","value":300}' ] || fail "get --json printed $OUT"
vqctl --device '\\.\COM99' info
expect_status 4 "info on a COM port that is not there"
second="$(sed -n 2p <<<"$ERR")"
[[ "$(head -1 <<<"$ERR")" = "ERROR - Can not open communciation port." && "$second" == '\\.\COM99: '?* ]] ||
  fail "the open failure did not name the port and the reason: $ERR"
pass "--json prints the document; a port that does not open is named with the reason ($second)"

start_camera --baud 115200 --bad-check 1
vqctl --trace get GainLevel
expect_status 0 "get after a bad check code"
[ "$OUT" = 168 ] || fail "get after a bad check code printed $OUT"
[ "$(grep -c '> 15$' <<<"$ERR")" = 1 ] || fail "the bad reply was not answered with one NAK"
pass "a reply with a bad check code is refused with NAK and the repeat is taken"

start_camera --silent
vqctl get GainLevel
expect_status 5 "get from a silent camera"
[ "$ERR" = $'ERROR - Communication time out detected.\nCheck the connection.' ] || fail "silent camera: $ERR"
awk -v s="$SECONDS_TAKEN" 'BEGIN { exit !(s >= 4.0 && s < 6.0) }' || fail "the time-out came after $SECONDS_TAKEN s"
pass "a silent camera fails with code 5 after $SECONDS_TAKEN s"

# Ctrl+C while the port waits: the port is let go, so the next run opens it at once.
"$RUN" "$VQCTL" --com "$COM" get GainLevel >/dev/null 2>&1 &
waiting=$!
sleep 2
pkill -INT -f "vqctl.exe --com $COM get GainLevel" || fail "no vqctl.exe to interrupt"
set +e
wait "$waiting"
interrupted=$?
set -e
[ "$interrupted" = 130 ] || fail "Ctrl+C ended vqctl.exe with $interrupted, not 130"
start_camera --baud 115200
vqctl get GainLevel
expect_status 0 "get after Ctrl+C"
pass "Ctrl+C ends with 130 and the port opens again"

# The line's limit: 46 reads of 32 bytes each, at 10 bits a byte. The whole command includes
# starting a Windows process under wine; the trace's last time stamp is the program's own time
# from its start to the last byte.
start_camera --baud 9600
best="" own=""
for _ in 1 2 3 4 5; do
  vqctl --baud 9600 --trace read-all
  expect_status 0 "read-all at 9600"
  best=$(awk -v a="$SECONDS_TAKEN" -v b="${best:-$SECONDS_TAKEN}" 'BEGIN { print (a < b ? a : b) }')
  last=$(awk '$2 == "ms" { ms = $1 } END { printf "%.3f", ms / 1000 }' <<<"$ERR")
  own=$(awk -v a="$last" -v b="${own:-$last}" 'BEGIN { print (a < b ? a : b) }')
done
line=$(awk 'BEGIN { printf "%.3f", 46 * 32 * 10 / 9600 }')
ratio=$(awk -v b="$own" -v l="$line" 'BEGIN { printf "%.3f", b / l }')
whole=$(awk -v b="$best" -v l="$line" 'BEGIN { printf "%.3f", b / l }')
echo "vqctl.exe read-all 9600 under wine: best of 5 $own s to the last byte, line $line s, ratio $ratio (target 1.10); whole command with wine's start $best s, ratio $whole"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.10) }' || fail "read-all at 9600 took $ratio times the line time"
pass "read-all at 9600 within 1.10 times the line time"

# The link check through an FTDI adapter as its driver registers it, holding bytes for 16 ms: the
# check reads the timer where the driver keeps it and says where an administrator changes it.
ftdi='HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+VQTEST1A\0000'
reglog="$work/reg.log"
wine_reg_persist "$PREFIX" "$reglog" add "$ftdi" /v FriendlyName /t REG_SZ /d "USB Serial Port (COM$COM)" /f &&
  wine_reg_persist "$PREFIX" "$reglog" add "$ftdi\\Device Parameters" /v PortName /t REG_SZ /d "COM$COM" /f &&
  wine_reg_persist "$PREFIX" "$reglog" add "$ftdi\\Device Parameters" /v LatencyTimer /t REG_DWORD /d 16 /f ||
  fail "the adapter's keys could not be written: $(cat "$reglog")"
start_camera --baud 115200 --usb-latency 16
vqctl check 5
wine_reg_persist "$PREFIX" "$reglog" delete 'HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS' /f || true
expect_status 1 "check through a 16 ms adapter"
grep -q "adapter USB Serial Port (COM$COM), VID_0403+PID_6001+VQTEST1A, latency timer 16 ms" <<<"$OUT" ||
  fail "check did not name the adapter and its timer: $OUT"
grep -q "^advice: The adapter holds received bytes for 16 ms before it passes them on: .*Latency Timer (msec) 1" <<<"$OUT" ||
  fail "check did not say how to change the timer: $OUT"
pass "check reads the adapter's 16 ms latency timer and says where to change it"
