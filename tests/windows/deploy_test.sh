#!/usr/bin/env bash
# Checks assemble_deploy on small stand-in programs built here with MinGW-w64: a fake Qt whose
# plugins need a DLL only another DLL names, so a walk that stops one level deep is caught.
# With a wine prefix as the argument it also runs the laid-out programs from the folder alone.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/windows.d/deploy.sh"
PREFIX="${1:-}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "deploy_test: FAIL: $*" >&2; exit 1; }
pass() { echo "deploy_test: ok: $*"; }

CXX=x86_64-w64-mingw32-g++-posix
build="$work/build" qt="$work/qt" deploy="$work/deploy"
mkdir -p "$build/app" "$build/cli" "$build/sim" "$qt/bin" "$qt/plugins/platforms" \
  "$qt/plugins/styles" "$work/src"

cat >"$work/src/core.cpp" <<'EOF'
#include <string>
__declspec(dllexport) std::string core_name() { return "core"; }
EOF
cat >"$work/src/widgets.cpp" <<'EOF'
#include <string>
std::string core_name();
__declspec(dllexport) std::string widgets_name() { return core_name() + "+widgets"; }
EOF
cat >"$work/src/zlibish.cpp" <<'EOF'
extern "C" __declspec(dllexport) int inflate_ish() { return 7; }
EOF
cat >"$work/src/style.cpp" <<'EOF'
#include <string>
std::string widgets_name();
extern "C" int inflate_ish();
__declspec(dllexport) std::string style_name() { return widgets_name() + std::to_string(inflate_ish()); }
EOF
cat >"$work/src/plugin.cpp" <<'EOF'
#include <string>
std::string core_name();
__declspec(dllexport) std::string plugin_name() { return core_name(); }
EOF
cat >"$work/src/app.cpp" <<'EOF'
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
std::string widgets_name();
int main(int argc, char** argv) {
  std::string n;
  std::thread t([&] { n = widgets_name(); });
  t.join();
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("stand-in %s\n", n.c_str());
    return 0;
  }
  return 3;
}
EOF
cat >"$work/src/cli.cpp" <<'EOF'
#include <cstdio>
#include <string>
std::string core_name();
int main() { std::printf("cli %s\n", core_name().c_str()); return 0; }
EOF
cat >"$work/src/sim.cpp" <<'EOF'
extern "C" __declspec(dllexport) int sim_answer() { return 42; }
EOF

(
  cd "$work/src"
  $CXX -shared -o "$qt/bin/Qt6Core.dll" core.cpp
  $CXX -shared -o "$qt/bin/Qt6Widgets.dll" widgets.cpp "$qt/bin/Qt6Core.dll"
  $CXX -shared -o "$qt/bin/zlibish.dll" zlibish.cpp
  $CXX -shared -o "$qt/plugins/styles/qwindowsvistastyle.dll" style.cpp \
    "$qt/bin/Qt6Widgets.dll" "$qt/bin/zlibish.dll"
  $CXX -shared -o "$qt/plugins/platforms/qwindows.dll" plugin.cpp "$qt/bin/Qt6Core.dll"
  $CXX -shared -o "$qt/plugins/platforms/qoffscreen.dll" plugin.cpp "$qt/bin/Qt6Core.dll"
  $CXX -g -o "$build/app/vq-r310ntx.exe" app.cpp "$qt/bin/Qt6Widgets.dll"
  $CXX -o "$build/cli/vqctl.exe" cli.cpp "$qt/bin/Qt6Core.dll"
  $CXX -shared -static-libgcc -static-libstdc++ -o "$build/sim/clsersim.dll" sim.cpp
) || fail "the stand-ins did not build"

# A complete layout, with the DLL that only a plugin's dependency names.
assemble_deploy "$build" "$qt" "$deploy" 2>"$work/log" || { cat "$work/log" >&2; fail "assemble_deploy failed"; }
expected="clsersim.dll
libgcc_s_seh-1.dll
libstdc++-6.dll
libwinpthread-1.dll
platforms/qoffscreen.dll
platforms/qwindows.dll
Qt6Core.dll
Qt6Widgets.dll
styles/qwindowsvistastyle.dll
vq-r310ntx.exe
vqctl.exe
zlibish.dll"
actual="$(cd "$deploy" && find . -type f | sed 's|^\./||' | LC_ALL=C sort -f)"
[ "$actual" = "$expected" ] || fail "the folder holds
$actual
instead of
$expected"
pass "programs, plugins in their subfolders, DLLs found through other DLLs, the MinGW runtime"

size="$(stat -c %s "$deploy/libstdc++-6.dll")"
[ "$size" -lt 8000000 ] || fail "libstdc++-6.dll is $size bytes: not stripped"
! x86_64-w64-mingw32-objdump -h "$deploy/vq-r310ntx.exe" | grep -q '\.debug_' ||
  fail "vq-r310ntx.exe still has debug sections"
pass "copies are stripped"

# Nothing from an earlier layout survives.
touch "$deploy/stale.dll"
mkdir -p "$deploy/imageformats" && touch "$deploy/imageformats/old.dll"
assemble_deploy "$build" "$qt" "$deploy" 2>"$work/log" || { cat "$work/log" >&2; fail "the second run failed"; }
[ ! -e "$deploy/stale.dll" ] && [ ! -e "$deploy/imageformats" ] || fail "files from the earlier run are left"
pass "each run starts from an empty folder"

# An import found nowhere fails the run by name and leaves the earlier folder as it was.
mv "$qt/bin/zlibish.dll" "$work/zlibish.dll"
if assemble_deploy "$build" "$qt" "$deploy" 2>"$work/log"; then
  fail "a missing zlibish.dll was reported as success"
fi
grep -q "zlibish.dll" "$work/log" || fail "the failure does not name the missing DLL: $(cat "$work/log")"
[ -f "$deploy/vq-r310ntx.exe" ] && [ -f "$deploy/zlibish.dll" ] || fail "a failed run damaged the earlier folder"
[ -z "$(find "$work" -maxdepth 1 -name 'deploy.new.*')" ] || fail "a failed run left its staging folder"
mv "$work/zlibish.dll" "$qt/bin/zlibish.dll"
pass "an unresolved import fails loudly and keeps the earlier folder"

# A folder that is not an earlier layout is never emptied.
other="$work/documents"
mkdir -p "$other" && echo keep >"$other/letter.txt"
if assemble_deploy "$build" "$qt" "$other" 2>"$work/log"; then
  fail "a folder of other files was replaced"
fi
[ -f "$other/letter.txt" ] || fail "a folder of other files lost its contents"
pass "an unrelated folder is left alone"

rm "$build/sim/clsersim.dll"
if assemble_deploy "$build" "$qt" "$deploy" 2>"$work/log"; then
  fail "a missing clsersim.dll was reported as success"
fi
pass "a missing program fails the run"

if [ -n "$PREFIX" ]; then
  out="$(WINEPREFIX="$PREFIX" WINEDEBUG=-all wine "$deploy/vq-r310ntx.exe" --version)" ||
    fail "the deployed stand-in did not start under wine (exit $?)"
  [ "$(tr -d '\r' <<<"$out")" = "stand-in core+widgets" ] || fail "the deployed stand-in printed '$out'"
  pass "the laid-out program runs from its folder alone"
fi
echo "deploy_test: all checks passed"
