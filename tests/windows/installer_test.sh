#!/usr/bin/env bash
# Installs INSTALLER silently in the private wine prefix PREFIX, for all users and for the current
# user alone, and checks what each installed copy has (files, Start menu shortcut, .vq association,
# Add/Remove Programs entry, a program that starts from its folder alone) and that the other mode's
# places get nothing; installs again over it, uninstalls silently and checks that nothing is left.
# Given the runnable folder the installer was made from, it also checks that every file arrived
# unchanged; given the zip of that folder too, that the zip unpacks to exactly that folder and runs.
# Run it in a prefix where the program is not installed.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/windows.d/wine.sh"
USAGE="usage: installer_test.sh WINE_PREFIX INSTALLER [DEPLOY_DIR [ZIP]]"
PREFIX="${1:?$USAGE}"
INSTALLER="$(realpath "${2:?$USAGE}")"
DEPLOY="${3:-}"
ZIP="${4:-}"

fail() { echo "installer_test: FAIL: $*" >&2; exit 1; }
pass() { echo "installer_test: ok: $*"; }
[ -f "$INSTALLER" ] || fail "no installer at $INSTALLER"
[ -z "$ZIP" ] || [ -f "$ZIP" ] || fail "no zip at $ZIP"

PROGID="VQ-R310NTX.Document"
UNINST_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall\VQ-R310NTX'

w() { wine_prefix_quick "$PREFIX" && wine_in "$PREFIX" wine "$@" </dev/null; }

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
unix_path() { local p="$PREFIX/drive_c/${1#[Cc]:\\}"; printf '%s\n' "${p//\\//}"; }

# The prefix's files outside temporary folders, and the registry's lines naming the program or
# .vq outside the program's own settings (the registry files are current once the server has ended).
listing() { (cd "$PREFIX/drive_c" && find . -iname temp -prune -o -print) | LC_ALL=C sort; }
reg_traces() {
  grep -ih 'vq-r310ntx\|\\\\\.vq\]' "$PREFIX/user.reg" "$PREFIX/system.reg" |
    grep -v 'Norvane Imaging' | sed 's/\] [0-9]*$/]/' | LC_ALL=C sort || true
}

# The manifest's requestedExecutionLevel: "requireAdministrator" would have Windows ask a standard
# user for an administrator.
expect_no_admin_manifest() {
  local level
  level="$(grep -aoE 'requestedExecutionLevel +level="[A-Za-z]+"' "$1" | head -1 | cut -d'"' -f2)"
  [[ "$level" =~ ^(asInvoker|highestAvailable)$ ]] || fail "$1's manifest asks for '$level'"
  pass "$(basename "$1") asks for \"$level\", not for an administrator"
}

# expect_same_files DIR [EXTRA]: DIR holds the runnable folder's files, unchanged, and EXTRA.
expect_same_files() {
  local dir="$1" extra="${2:-}" want have f
  want="$( (cd "$DEPLOY" && find . -type f; [ -z "$extra" ] || echo "./$extra") | LC_ALL=C sort)"
  have="$(cd "$dir" && find . -type f | LC_ALL=C sort)"
  [ "$have" = "$want" ] || fail "$dir holds
$have
instead of
$want"
  while IFS= read -r f; do
    [ "$f" = "./$extra" ] || cmp -s "$DEPLOY/$f" "$dir/$f" || fail "$dir/$f differs from $DEPLOY/$f"
  done <<<"$have"
}

# expect_version DIR VERSION: vq-r310ntx.exe and vqctl.exe in DIR start from it and know VERSION.
expect_version() {
  local f out
  for f in vq-r310ntx.exe vqctl.exe; do
    out="$(VQ_WINE_PREFIX="$PREFIX" QT_QPA_PLATFORM=offscreen \
      "$ROOT/scripts/windows.d/wine-run" "$1/$f" --version </dev/null 2>&1 | tr -d '\r')" || {
      # Wine names a DLL it could not load only with its module errors on.
      WINEPREFIX="$PREFIX" WINEDEBUG=err+module wine "$1/$f" --version </dev/null 2>&1 |
        grep 'err:module' | head -5 >&2 || true
      fail "$1/$f --version failed: $out"
    }
    grep -qF "$2" <<<"$out" || fail "$1/$f --version printed '$out', without $2"
  done
}

wine_prefix_ready "$PREFIX" || fail "the prefix could not be made ready"
for key in "HKLM\\$UNINST_KEY" "HKCU\\$UNINST_KEY"; do
  if key_exists "$key"; then fail "the prefix already has an installation; use a fresh prefix"; fi
done
expect_no_admin_manifest "$INSTALLER"
# uninstall waits for wine's server to end, so a persistent one (scripts/test starts one) ends now.
wine_in "$PREFIX" wineserver -k >/dev/null 2>&1 || true
wine_in "$PREFIX" wineserver -w
wine_prefix_ready "$PREFIX" || fail "the prefix could not be made ready again"
env_path() { w cmd /c echo "%$1%" | tr -d '\r'; }
LOCAL="$(env_path LOCALAPPDATA)"
ROAMING="$(env_path APPDATA)"
[[ "$LOCAL" = [Cc]:\\* && "$ROAMING" = [Cc]:\\* ]] || fail "no user folders: '$LOCAL', '$ROAMING'"
mkdir -p "$PREFIX/drive_c/Other Place"
ORIGINAL_FILES="$(listing)"
ORIGINAL_REG="$(reg_traces)"

# use_mode all|me: the places the mode writes, and the other mode's, where it writes nothing.
use_mode() {
  local machine=(HKLM "$PREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VQ-R310NTX.lnk"
                 'C:\Program Files\VQ-R310NTX')
  local user=(HKCU "$(unix_path "$ROAMING")/Microsoft/Windows/Start Menu/Programs/VQ-R310NTX.lnk"
              "$LOCAL\\Programs\\VQ-R310NTX")
  local -a mine=("${machine[@]}") theirs=("${user[@]}")
  [ "$1" = all ] || { mine=("${user[@]}"); theirs=("${machine[@]}"); }
  ROOTKEY="${mine[0]}" LINK="${mine[1]}" DEFAULT="${mine[2]}"
  OTHER_ROOTKEY="${theirs[0]}" OTHER_LINK="${theirs[1]}" OTHER_DEFAULT="${theirs[2]}"
  UNINST="$ROOTKEY\\$UNINST_KEY"
}

uninstall() {
  # The uninstaller copies itself to a temporary folder and returns at once; wineserver -w waits
  # for that copy too.
  w "$(unix_path "$1")/uninstall.exe" /S || fail "the silent uninstall failed (exit $?)"
  wine_in "$PREFIX" wineserver -w
}

# A failed run uninstalls what it installed, so the prefix serves the next run.
cleanup() {
  local status=$? location root
  [ -z "${unpacked:-}" ] || rm -rf "$unpacked"
  [ $status -ne 0 ] || return 0
  for root in HKLM HKCU; do
    if location="$(reg_value "$root\\$UNINST_KEY" InstallLocation 2>/dev/null)"; then
      uninstall "$location" >/dev/null 2>&1 || true
    fi
  done
}
trap cleanup EXIT

# install SWITCHES [WINDOWS_DIR]: a silent install with /D=WINDOWS_DIR if given, which may hold
# spaces: /D takes the rest of the command line unquoted, and wine would quote an argument with
# spaces, so cmd passes the line on as written. Only the folder, its parents and the shortcut
# may be new in the prefix afterwards.
install() {
  local before new path dir started
  before="$(listing)"
  started=$(date +%s)
  if [ -n "${2:-}" ]; then
    w cmd /c "$(wine_windows_path "$PREFIX" "$INSTALLER") $1 /D=$2" || fail "the silent install $1 /D=$2 failed"
  else
    # shellcheck disable=SC2086 # the switches are separate arguments
    w "$INSTALLER" $1 || fail "the silent install $1 failed (exit $?)"
  fi
  dir="./$(realpath -m --relative-to="$PREFIX/drive_c" "$(unix_path "${2:-$DEFAULT}")")"
  new="$(comm -13 <(echo "$before") <(listing))"
  while IFS= read -r path; do
    [ -z "$path" ] || [[ "$path" = "$dir" || "$path" = "$dir"/* || "$dir" = "$path"/* ]] ||
      [ "$PREFIX/drive_c/${path#./}" = "$LINK" ] || fail "the install $1 wrote $path"
  done <<<"$new"
  pass "silent install $1 into ${2:-the default folder} ($(( $(date +%s) - started )) s), writing no file elsewhere"
}

# check_installed WINDOWS_DIR: everything an installed copy in WINDOWS_DIR must have.
check_installed() {
  local windir="$1" dir version f key classes="$ROOTKEY\\Software\\Classes"
  dir="$(unix_path "$windir")"
  [ -d "$dir" ] || fail "no install folder $dir"
  if [ -n "$DEPLOY" ]; then
    expect_same_files "$dir" uninstall.exe
    pass "all $(cd "$dir" && find . -type f | wc -l) files in $windir, unchanged"
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
  pass "the Start menu shortcut $LINK leads to vq-r310ntx.exe"

  EXPECTED="$PROGID" expect_value "$classes\\.vq"
  EXPECTED="VQ-R310NTX Document" expect_value "$classes\\$PROGID"
  EXPECTED="$windir\\vq-r310ntx.exe,0" expect_value "$classes\\$PROGID\\DefaultIcon"
  EXPECTED="\"$windir\\vq-r310ntx.exe\" \"%1\"" expect_value "$classes\\$PROGID\\shell\\open\\command"
  pass ".vq opens with \"$windir\\vq-r310ntx.exe\" \"%1\" as a VQ-R310NTX Document ($classes)"

  EXPECTED="$windir" expect_value "$UNINST" InstallLocation
  EXPECTED="\"$windir\\uninstall.exe\"" expect_value "$UNINST" UninstallString
  reg_value "$UNINST" DisplayName >/dev/null || fail "the uninstall entry has no DisplayName"
  version="$(reg_value "$UNINST" DisplayVersion)" || fail "the uninstall entry has no DisplayVersion"
  pass "Add/Remove Programs lists version $version under $ROOTKEY"

  for key in "$OTHER_ROOTKEY\\Software\\Classes\\.vq" "$OTHER_ROOTKEY\\Software\\Classes\\$PROGID" \
    "$OTHER_ROOTKEY\\$UNINST_KEY"; do
    if key_exists "$key"; then fail "$key was written too"; fi
  done
  [ ! -e "$OTHER_LINK" ] || fail "a shortcut was made at $OTHER_LINK too"
  [ ! -e "$(unix_path "$OTHER_DEFAULT")" ] || fail "$OTHER_DEFAULT was made too"
  pass "nothing in $OTHER_ROOTKEY, $OTHER_DEFAULT or the other Start menu"

  expect_version "$dir" "$version"
  pass "the installed vq-r310ntx.exe and vqctl.exe start from their folder and know version $version"
  expect_no_admin_manifest "$dir/uninstall.exe"

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

# check_removed WINDOWS_DIR: the folder, shortcut and keys are gone, and the prefix's files and
# registry show no more of the program than before the first install.
check_removed() {
  local windir="$1" dir root
  dir="$(unix_path "$windir")"
  [ ! -e "$dir" ] || fail "the install folder is still there, holding: $(cd "$dir" && find . -mindepth 1)"
  [ ! -e "$LINK" ] || fail "the Start menu shortcut is still there"
  for root in HKLM HKCU; do
    if key_exists "$root\\Software\\Classes\\.vq"; then fail "the .vq association is still in $root"; fi
    if key_exists "$root\\Software\\Classes\\$PROGID"; then fail "$PROGID is still in $root"; fi
    if key_exists "$root\\$UNINST_KEY"; then fail "the Add/Remove Programs entry is still in $root"; fi
  done
  local files
  files="$(diff <(echo "$ORIGINAL_FILES") <(listing))" || fail "the prefix's files changed: $files"
  # wineserver -w has saved the registry, so the files show any key left under another name.
  [ "$(reg_traces)" = "$ORIGINAL_REG" ] || fail "the registry still names the program:
$(diff <(echo "$ORIGINAL_REG") <(reg_traces))"
  pass "files, shortcut, association and uninstall entry are gone; the prefix is as before"
}

use_mode all
install /S
check_installed "$DEFAULT"
install /S
check_installed "$DEFAULT"
pass "installing again over an installed copy"
started=$(date +%s)
uninstall "$DEFAULT"
pass "silent uninstall ($(( $(date +%s) - started )) s)"
check_removed "$DEFAULT"

other='C:\Other Place\VQ-R310NTX'
install "/S /AllUsers" "$other"
check_installed "$other"
uninstall "$other"
check_removed "$other"
pass "a silent install for all users into a folder chosen with /D"

use_mode me
install "/S /CurrentUser"
check_installed "$DEFAULT"
# The user's earlier copy goes first wherever it is, so a new folder leaves none of it behind.
install "/S /CurrentUser" "$other"
[ ! -e "$(unix_path "$DEFAULT")" ] || fail "the earlier copy in $DEFAULT is still there"
check_installed "$other"
pass "installing for the current user over a copy of their own"
uninstall "$other"
check_removed "$other"
pass "a silent install and uninstall for the current user alone"

status=0
w "$INSTALLER" /S /AllUsers /CurrentUser || status=$?
[ "$status" = 2 ] || fail "both /AllUsers and /CurrentUser ended with $status, not 2"
wine_in "$PREFIX" wineserver -w
check_removed "$DEFAULT"
pass "both modes at once are refused with exit status 2, installing nothing"

if [ -n "$ZIP" ]; then
  unpacked="$(mktemp -d)"
  python3 - "$ZIP" "$unpacked" <<'EOF' || fail "the zip is not one VQ-R310NTX folder"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    tops = {name.split("/")[0] for name in z.namelist()}
    if tops != {"VQ-R310NTX"}:
        sys.exit(f"the zip's top level holds {sorted(tops)}")
    z.extractall(sys.argv[2])
EOF
  [ -z "$DEPLOY" ] || expect_same_files "$unpacked/VQ-R310NTX"
  version="$(sed -n 's/.*vq-r310ntx-\([0-9.]*\)-win64\.zip$/\1/p' <<<"$ZIP")"
  expect_version "$unpacked/VQ-R310NTX" "$version"
  pass "$(basename "$ZIP") unpacks to VQ-R310NTX/ with the runnable folder's files, whose programs run (version $version)"
fi
echo "installer_test: all checks passed"
