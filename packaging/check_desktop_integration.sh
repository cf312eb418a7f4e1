#!/usr/bin/env bash
# Checks the desktop entry, the ".vq" MIME type and the install layout as a desktop would read them.
# usage: check_desktop_integration.sh PACKAGING_DIR BUILD_DIR [CMAKE]
set -euo pipefail
src=$1
build=$2
cmake=${3:-cmake}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Hints and warnings count too: menus quietly drop entries they dislike.
report=$(desktop-file-validate "$src/vq-r310ntx.desktop" 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"

entry_key() { sed -n "s/^$1=//p" "$src/vq-r310ntx.desktop"; }
[ "$(entry_key Exec)" = "vq-r310ntx %f" ] || fail "Exec is '$(entry_key Exec)'"
[[ ";$(entry_key MimeType)" == *";application/x-vq-r310ntx;"* ]] || fail "MimeType lacks application/x-vq-r310ntx"

# Compiled the way the desktop compiles it, so a file that does not parse yields no glob.
mkdir -p "$work/mime/packages"
cp "$src/vq-r310ntx.xml" "$work/mime/packages/"
update-mime-database "$work/mime" >/dev/null 2>&1
grep -qx '50:application/x-vq-r310ntx:\*\.vq' "$work/mime/globs2" || fail "*.vq is not mapped to application/x-vq-r310ntx"
grep -q '<comment>VQ-R310NTX Document</comment>' "$work/mime/application/x-vq-r310ntx.xml" 2>/dev/null ||
  fail "the type's comment is not 'VQ-R310NTX Document'"

# A settings file saved without its extension is recognised by its header, as a desktop finds it.
printf '\027VQ-S90 Data Version1.00' >"$work/settings"
head -c 188 /dev/zero >>"$work/settings"
type=$(XDG_DATA_HOME="$work" XDG_DATA_DIRS="$work:/usr/share" gio info -a standard::content-type "$work/settings" |
       sed -n 's/^ *standard::content-type: //p')
[ "$type" = application/x-vq-r310ntx ] || fail "a settings file without its extension is '$type'"

"$cmake" --install "$build" --prefix "$work/root" >/dev/null
[ -n "$(find "$work/root" -path '*/lib*/libclsersim.so')" ] || fail "not installed: libclsersim.so"
for f in bin/vq-r310ntx bin/vqctl bin/vq-camera-sim \
         share/applications/vq-r310ntx.desktop share/mime/packages/vq-r310ntx.xml \
         "share/icons/hicolor/scalable/apps/$(entry_key Icon).svg"; do
  [ -e "$work/root/$f" ] || fail "not installed: $f"
done

exit $((failures > 0))
