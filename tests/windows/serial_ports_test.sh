#!/usr/bin/env bash
# Checks, in the private wine prefix given as the argument, that a COM port mapped with
# wine_map_com carries bytes both ways to a pseudo-terminal, keeps doing so after wine restarts,
# stops when unmapped, and that COM1 never reaches this machine's /dev/ttyS0, which wine links
# it to whenever its services start. That last check runs in a private mount namespace with a
# pseudo-terminal in place of /dev/ttyS0, so the real port is never opened. It stops the prefix's
# wineserver, so nothing else may run in the prefix meanwhile.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/windows.d/wine.sh"
PREFIX="${1:?usage: serial_ports_test.sh WINE_PREFIX}"
export VQ_WINE_PREFIX="$PREFIX"
RUN="$ROOT/scripts/windows.d/wine-run"

work="$(mktemp -d)"
peer_pid=""
cleanup() {
  [ -n "$peer_pid" ] && kill "$peer_pid" 2>/dev/null || true
  wine_unmap_com "$PREFIX" 5 >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "serial_ports_test: FAIL: $*" >&2; exit 1; }
pass() { echo "serial_ports_test: ok: $*"; }

# The Windows side: opens the port as the programs do, sets it up, writes, reads the answer.
cat >"$work/comcheck.c" <<'EOF'
#include <windows.h>
#include <stdio.h>
#include <string.h>
int main(int argc, char **argv) {
  char path[32], got[256];
  DWORD n = 0, total = 0;
  if (argc != 4) return 9;
  snprintf(path, sizeof path, "\\\\.\\%s", argv[1]);
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE) { printf("open failed: %lu\n", GetLastError()); return 2; }
  DCB dcb = {0};
  dcb.DCBlength = sizeof dcb;
  COMMTIMEOUTS t = {0};
  t.ReadIntervalTimeout = 100;
  t.ReadTotalTimeoutConstant = 3000;
  t.WriteTotalTimeoutConstant = 3000;
  if (!GetCommState(h, &dcb)) { printf("GetCommState failed: %lu\n", GetLastError()); return 5; }
  dcb.BaudRate = CBR_115200; dcb.ByteSize = 8; dcb.Parity = NOPARITY; dcb.StopBits = ONESTOPBIT;
  if (!SetCommState(h, &dcb) || !SetCommTimeouts(h, &t) || !PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR)) {
    printf("port setup failed: %lu\n", GetLastError());
    return 5;
  }
  DWORD len = (DWORD)strlen(argv[2]);
  if (!WriteFile(h, argv[2], len, &n, NULL) || n != len) { printf("write failed: %lu\n", GetLastError()); return 3; }
  size_t want = strlen(argv[3]);
  while (total < want && ReadFile(h, got + total, (DWORD)(want - total), &n, NULL) && n > 0) total += n;
  got[total] = 0;
  CloseHandle(h);
  printf("read: %s\n", got);
  return strcmp(got, argv[3]) == 0 ? 0 : 4;
}
EOF
x86_64-w64-mingw32-gcc-posix -O2 -o "$work/comcheck.exe" "$work/comcheck.c" || fail "comcheck.exe did not build"

# The Linux side: a pseudo-terminal in raw mode that records what arrives and answers it.
cat >"$work/peer.py" <<'EOF'
import os, select, sys, time, tty
expect, answer, record = sys.argv[1].encode(), sys.argv[2].encode(), sys.argv[3]
seconds = float(sys.argv[4])
master, slave = os.openpty()
tty.setraw(slave)
print(os.ttyname(slave), flush=True)
got, deadline = b"", time.time() + seconds
with open(record, "wb") as f:
    while time.time() < deadline:
        if select.select([master], [], [], 0.1)[0]:
            data = os.read(master, 4096)
            f.write(data)
            f.flush()
            got += data
            if expect and got == expect:
                os.write(master, answer)
                time.sleep(1)
                break
EOF

# start_peer EXPECT ANSWER [SECONDS]: sets PTY to the pseudo-terminal's path.
start_peer() {
  rm -f "$work/pty" "$work/record"
  python3 "$work/peer.py" "$1" "$2" "$work/record" "${3:-30}" >"$work/pty" &
  peer_pid=$!
  for _ in $(seq 100); do [ -s "$work/pty" ] && break; sleep 0.05; done
  PTY="$(head -1 "$work/pty")"
  [ -c "$PTY" ] || fail "the pseudo-terminal did not start"
}
# stop_peer [now]: waits for the peer to finish, or ends it at once.
stop_peer() {
  [ "${1:-}" = now ] && kill "$peer_pid" 2>/dev/null
  wait "$peer_pid" || true
  peer_pid=""
}

wine_prefix_ready "$PREFIX" || fail "the prefix could not be made ready"

if wine_map_com "$PREFIX" 6 /dev/ttyS0 2>/dev/null; then
  wine_unmap_com "$PREFIX" 6 || true
  fail "wine_map_com mapped a real serial port"
fi
pass "only pseudo-terminals are mapped"

start_peer "PING?" "PONG!"
wine_map_com "$PREFIX" 5 "$PTY" || fail "wine_map_com failed"
out="$("$RUN" "$work/comcheck.exe" COM5 "PING?" "PONG!" | tr -d '\r')" || fail "COM5 exchange failed: $out"
stop_peer
[ "$(cat "$work/record")" = "PING?" ] || fail "the pseudo-terminal received '$(cat "$work/record")'"
pass "COM5 carries bytes both ways to $PTY"

# After wine restarts, its serial driver rebuilds the port from the registry alone.
start_peer "AGAIN" "OK"
wine_map_com "$PREFIX" 5 "$PTY" || fail "wine_map_com failed"
wine_in "$PREFIX" wineserver -k >/dev/null 2>&1 || true
wine_in "$PREFIX" wineserver -w
rm -f "$PREFIX/dosdevices/com5"
out="$("$RUN" "$work/comcheck.exe" COM5 "AGAIN" "OK" | tr -d '\r')" || fail "COM5 after a restart of wine: $out"
stop_peer
pass "the mapping outlives a restart of wine"

wine_unmap_com "$PREFIX" 5 || fail "wine_unmap_com failed"
if "$RUN" "$work/comcheck.exe" COM5 "GONE" "" >/dev/null; then fail "COM5 still opens after unmapping"; fi
pass "an unmapped port no longer opens"

# COM1 in a fresh start of wine, with a pseudo-terminal standing in for /dev/ttyS0.
if [ ! -e /dev/ttyS0 ]; then
  echo "serial_ports_test: skipped: no /dev/ttyS0 here, so wine makes no COM1 link"
elif ! unshare -m --propagation private true 2>/dev/null; then
  echo "serial_ports_test: skipped: no private mount namespace here (needs root)"
else
  start_peer "" "" 60
  unshare -m --propagation private bash -c '
    set -euo pipefail
    source "$1/scripts/windows.d/wine.sh"
    mount --bind "$3" /dev/ttyS0
    wine_in "$2" wineserver -k >/dev/null 2>&1 || true
    wine_in "$2" wineserver -w
    status=0
    "$1/scripts/windows.d/wine-run" "$4" COM1 "TO-TTYS0" "" >/dev/null || status=$?
    wine_in "$2" wineserver -k >/dev/null 2>&1 || true
    wine_in "$2" wineserver -w
    exit $status
  ' _ "$ROOT" "$PREFIX" "$PTY" "$work/comcheck.exe" && com1=0 || com1=$?
  sleep 0.5
  stop_peer now
  [ ! -s "$work/record" ] || fail "COM1 reached /dev/ttyS0: it received '$(cat "$work/record")'"
  [ "$com1" -ne 0 ] || fail "COM1 opened and took a write"
  pass "COM1 does not reach /dev/ttyS0 after wine's services start"
fi
echo "serial_ports_test: all checks passed"
