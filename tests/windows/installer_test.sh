#!/usr/bin/env bash
# Installs INSTALLER silently in the private wine prefix PREFIX, checks what an installed copy
# has (files, Start menu shortcut, .vq association, Add/Remove Programs entry, a program that
# starts from its folder alone), installs again over it, uninstalls silently and checks that
# nothing is left. Given the runnable folder the installer was made from, it also checks that
# every file arrived unchanged. Run it in a prefix where the program is not installed.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/windows.d/wine.sh"
PREFIX="${1:?usage: installer_test.sh WINE_PREFIX INSTALLER [DEPLOY_DIR]}"
INSTALLER="$(realpath "${2:?usage: installer_test.sh WINE_PREFIX INSTALLER [DEPLOY_DIR]}")"
DEPLOY="${3:-}"

fail() { echo "installer_test: FAIL: $*" >&2; exit 1; }
pass() { echo "installer_test: ok: $*"; }
[ -f "$INSTALLER" ] || fail "no installer at $INSTALLER"

PROGID="VQ-R310NTX.Document"
UNINST='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VQ-R310NTX'
LINK="$PREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VQ-R310NTX.lnk"

w() { wine_in "$PREFIX" wine "$@" </dev/null; }

# reg_value KEY [NAME]: prints the value's data (the default value without NAME); fails if absent.
reg_value() {
  local out
  if [ $# -eq 2 ]; then out="$(w reg query "$1" /v "$2" 2>/dev/null)" || return 1
  else out="$(w reg query "$1" /ve 2>/dev/null)" || return 1; fi
  tr -d '\r' <<<"$out" | awk -F'    ' 'NF >= 4 && $3 ~ /^REG_/ { print $4; found = 1 } END { exit !found }'
}
key_exists() { w reg query "$1" >/dev/null 2>&1; }
expect_value() {
  local got
  got="$(reg_value "$@")" || fail "$1 ${2:-(default)} is missing"
  [ "$got" = "$EXPECTED" ] || fail "$1 ${2:-(default)} is '$got', not '$EXPECTED'"
}

wine_prefix_ready "$PREFIX" || fail "the prefix could not be made ready"
if key_exists "$UNINST"; then fail "the prefix already has an installation; use a fresh prefix"; fi

uninstall() {
  local dir="$PREFIX/drive_c/${1#C:\\}"
  dir="${dir//\\//}"
  # The uninstaller copies itself to a temporary folder and returns at once; wineserver -w waits
  # for that copy too.
  w "$dir/uninstall.exe" /S || fail "the silent uninstall failed (exit $?)"
  wine_in "$PREFIX" wineserver -w
}

# A failed run uninstalls what it installed, so the prefix serves the next run.
cleanup() {
  local status=$? location
  if [ $status -ne 0 ] && location="$(reg_value "$UNINST" InstallLocation 2>/dev/null)"; then
    uninstall "$location" >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

# check_installed WINDOWS_DIR: everything an installed copy in WINDOWS_DIR must have.
check_installed() {
  local windir="$1" dir version out f
  dir="$PREFIX/drive_c/${windir#C:\\}"
  dir="${dir//\\//}"
  [ -d "$dir" ] || fail "no install folder $dir"
  if [ -n "$DEPLOY" ]; then
    local want have
    want="$( (cd "$DEPLOY" && find . -type f; echo ./uninstall.exe) | LC_ALL=C sort)"
    have="$(cd "$dir" && find . -type f | LC_ALL=C sort)"
    [ "$have" = "$want" ] || fail "the install folder holds
$have
instead of
$want"
    while IFS= read -r f; do
      [ "$f" = ./uninstall.exe ] || cmp -s "$DEPLOY/$f" "$dir/$f" || fail "$f differs from $DEPLOY/$f"
    done <<<"$have"
    pass "all $(wc -l <<<"$have") files in $windir, unchanged"
  else
    for f in vq-r310ntx.exe vqctl.exe clsersim.dll platforms/qwindows.dll platforms/qoffscreen.dll \
      styles/qwindowsvistastyle.dll uninstall.exe; do
      [ -f "$dir/$f" ] || fail "$windir is missing $f"
    done
    pass "the programs, the simulator library, the plugins and the uninstaller are in $windir"
  fi

  [ -f "$LINK" ] || fail "no Start menu shortcut at $LINK"
  python3 - "$LINK" "$windir\\vq-r310ntx.exe" <<'EOF' || fail "the shortcut does not lead to $windir\\vq-r310ntx.exe"
import sys
data, target = open(sys.argv[1], "rb").read(), sys.argv[2]
sys.exit(0 if target.encode("latin-1") in data or target.encode("utf-16-le") in data else 1)
EOF
  pass "the Start menu shortcut VQ-R310NTX leads to vq-r310ntx.exe"

  EXPECTED="$PROGID" expect_value 'HKCR\.vq'
  EXPECTED="VQ-R310NTX Document" expect_value "HKCR\\$PROGID"
  EXPECTED="$windir\\vq-r310ntx.exe,0" expect_value "HKCR\\$PROGID\\DefaultIcon"
  EXPECTED="\"$windir\\vq-r310ntx.exe\" \"%1\"" expect_value "HKCR\\$PROGID\\shell\\open\\command"
  pass ".vq opens with \"$windir\\vq-r310ntx.exe\" \"%1\" as a VQ-R310NTX Document"

  EXPECTED="$windir" expect_value "$UNINST" InstallLocation
  EXPECTED="\"$windir\\uninstall.exe\"" expect_value "$UNINST" UninstallString
  reg_value "$UNINST" DisplayName >/dev/null || fail "the uninstall entry has no DisplayName"
  version="$(reg_value "$UNINST" DisplayVersion)" || fail "the uninstall entry has no DisplayVersion"
  pass "Add/Remove Programs lists version $version"

  for f in vq-r310ntx.exe vqctl.exe; do
    out="$(VQ_WINE_PREFIX="$PREFIX" QT_QPA_PLATFORM=offscreen \
      "$ROOT/scripts/windows.d/wine-run" "$dir/$f" --version </dev/null 2>&1 | tr -d '\r')" || {
      # Wine names a DLL it could not load only with its module errors on.
      WINEPREFIX="$PREFIX" WINEDEBUG=err+module wine "$dir/$f" --version </dev/null 2>&1 |
        grep 'err:module' | head -5 >&2 || true
      fail "the installed $f --version failed: $out"
    }
    grep -qF "$version" <<<"$out" || fail "the installed $f --version printed '$out', without $version"
  done
  pass "the installed vq-r310ntx.exe and vqctl.exe start from their folder and know version $version"

  # The window needs the platform plugin from the installed folder: it must come up and stay up
  # (or close cleanly) rather than fail at once.
  local log="$PREFIX.installer_test.log" pid status=running
  VQ_WINE_PREFIX="$PREFIX" QT_QPA_PLATFORM=offscreen QT_FORCE_STDERR_LOGGING=1 \
    "$ROOT/scripts/windows.d/wine-run" "$dir/vq-r310ntx.exe" </dev/null >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 40); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" && status=0 || status=$?
      break
    fi
    sleep 0.1
  done
  if [ "$status" = running ]; then
    wine_in "$PREFIX" wineserver -k >/dev/null 2>&1 || true
    wait "$pid" || true
  fi
  [ "$status" = running ] || [ "$status" = 0 ] ||
    fail "the installed vq-r310ntx.exe stopped at once with exit $status: $(tr -d '\r' <"$log")"
  rm -f "$log"
  pass "the installed vq-r310ntx.exe opens on the offscreen platform"
}

# check_removed WINDOWS_DIR
check_removed() {
  local windir="$1" dir
  dir="$PREFIX/drive_c/${windir#C:\\}"
  dir="${dir//\\//}"
  [ ! -e "$dir" ] || fail "the install folder is still there, holding: $(cd "$dir" && find . -mindepth 1)"
  [ ! -e "$LINK" ] || fail "the Start menu shortcut is still there"
  if key_exists 'HKCR\.vq'; then fail "the .vq association is still there"; fi
  if key_exists "HKCR\\$PROGID"; then fail "$PROGID is still there"; fi
  if key_exists "$UNINST"; then fail "the Add/Remove Programs entry is still there"; fi
  # wineserver -w has saved the registry, so the files show any key left under another name.
  if grep -i 'vq-r310ntx\|\\\\\.vq\]' "$PREFIX/system.reg"; then fail "the registry still names the program"; fi
  pass "folder, shortcut, association and uninstall entry are gone"
}


started=$(date +%s)
w "$INSTALLER" /S || fail "the silent install failed (exit $?)"
pass "silent install into the default folder ($(( $(date +%s) - started )) s)"
check_installed 'C:\Program Files\VQ-R310NTX'

w "$INSTALLER" /S || fail "installing over the installed copy failed (exit $?)"
check_installed 'C:\Program Files\VQ-R310NTX'
pass "installing again over an installed copy"

started=$(date +%s)
uninstall 'C:\Program Files\VQ-R310NTX'
pass "silent uninstall ($(( $(date +%s) - started )) s)"
check_removed 'C:\Program Files\VQ-R310NTX'

# /D takes the rest of the command line, spaces and all, unquoted; wine would quote an argument
# with spaces, so cmd passes the line on as written.
other='C:\Other Place\VQ-R310NTX'
w cmd /c "$(wine_windows_path "$PREFIX" "$INSTALLER") /S /D=$other" || fail "the silent install with /D failed"
check_installed "$other"
uninstall "$other"
check_removed "$other"
pass "a silent install into a folder chosen with /D"
echo "installer_test: all checks passed"
