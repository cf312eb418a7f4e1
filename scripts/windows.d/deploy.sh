# The runnable Windows folder: the programs, every DLL they load and the Qt plugins they need,
# laid out as an installed copy. Sourced by scripts/windows.

# Plugins the programs need at run time, kept in subfolders of these names beside the executables,
# where Qt looks by default (the application's folder is always on its library path).
DEPLOY_PLUGINS=(platforms/qwindows.dll platforms/qoffscreen.dll styles/qwindowsvistastyle.dll)

# DLLs that come with Windows itself; anything else a program imports must be shipped.
DEPLOY_SYSTEM_DLLS=(
  advapi32 authz bcrypt cfgmgr32 comctl32 comdlg32 crypt32 d2d1 d3d11 d3d12 d3d9 dbghelp dnsapi
  dwmapi dwrite dxgi gdi32 imm32 iphlpapi kernel32 mpr msvcrt netapi32 ntdll ole32 oleacc
  oleaut32 opengl32 powrprof propsys rpcrt4 secur32 setupapi shcore shell32 shlwapi user32
  userenv uxtheme version winmm winspool ws2_32 wtsapi32
)

deploy_is_system_dll() {
  local name="${1,,}" s
  case "$name" in api-ms-win-*|ext-ms-win-*) return 0 ;; esac
  name="${name%.dll}"
  name="${name%.drv}"
  for s in "${DEPLOY_SYSTEM_DLLS[@]}"; do
    [ "$name" = "$s" ] && return 0
  done
  return 1
}

# Prints the DLL names FILE imports, one a line.
deploy_imports() {
  local dump
  dump="$(x86_64-w64-mingw32-objdump -p "$1")" || {
    echo "deploy: cannot read the imports of $1" >&2
    return 1
  }
  sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr -d '\r'
}

# Prints the path of DLL NAME in the first of the folders that holds it, matching names without
# regard to case as Windows does.
deploy_find_dll() {
  local name="$1" dir hit
  shift
  for dir in "$@"; do
    [ -d "$dir" ] || continue
    hit="$(find "$dir" -maxdepth 1 -type f -iname "$name" -print -quit)"
    [ -n "$hit" ] && { printf '%s\n' "$hit"; return 0; }
  done
  return 1
}

# Copies FILE to DEST stripped of symbols and debug sections.
deploy_copy_stripped() {
  x86_64-w64-mingw32-strip --strip-unneeded -o "$2" "$1" || {
    echo "deploy: stripping $1 failed" >&2
    return 1
  }
}

# assemble_deploy BUILD_DIR QT_DIR DEPLOY_DIR
# Lays DEPLOY_DIR out anew. A failure leaves no half-made folder behind.
assemble_deploy() {
  local build="$1" qt="$2" deploy="$3"
  local roots=("$build/app/vq-r310ntx.exe" "$build/cli/vqctl.exe" "$build/sim/clsersim.dll")
  local runtime_dirs=() f dir

  case "$deploy" in
    ""|/|.|..) echo "deploy: refusing to lay out a folder at '$deploy'" >&2; return 1 ;;
  esac
  # Only ever replace an earlier deploy, never some other folder given by mistake.
  if [ -d "$deploy" ] && [ -n "$(ls -A "$deploy")" ] && [ ! -f "$deploy/vq-r310ntx.exe" ]; then
    echo "deploy: $deploy holds files but no vq-r310ntx.exe; not replacing it" >&2
    return 1
  fi
  for f in "${roots[@]}"; do
    [ -f "$f" ] || { echo "deploy: $f is missing; build the Windows programs first" >&2; return 1; }
  done
  [ -d "$qt/bin" ] || { echo "deploy: no Qt for Windows at $qt" >&2; return 1; }
  for f in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    dir="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name="$f")")"
    dir="$(realpath "$dir")"
    [ -f "$dir/$f" ] || { echo "deploy: the MinGW runtime $f was not found" >&2; return 1; }
    [[ " ${runtime_dirs[*]} " == *" $dir "* ]] || runtime_dirs+=("$dir")
  done

  local search=("$build/app" "$build/cli" "$build/sim" "$qt/bin" "${runtime_dirs[@]}")
  local stage="${deploy%/}.new.$$"
  rm -rf "$stage"
  mkdir -p "$stage" || return 1

  # Each entry is "source|destination relative to the deploy folder".
  local queue=() item src rel name lower path
  local -A shipped=()
  for f in "${roots[@]}"; do
    queue+=("$f|$(basename "$f")")
    shipped["$(basename "${f,,}")"]=1
  done
  for rel in "${DEPLOY_PLUGINS[@]}"; do
    [ -f "$qt/plugins/$rel" ] || {
      echo "deploy: the Qt plugin $qt/plugins/$rel is missing" >&2
      rm -rf "$stage"
      return 1
    }
    queue+=("$qt/plugins/$rel|$rel")
  done

  while [ ${#queue[@]} -gt 0 ]; do
    item="${queue[0]}"
    queue=("${queue[@]:1}")
    src="${item%%|*}"
    rel="${item#*|}"
    mkdir -p "$stage/$(dirname "$rel")" && deploy_copy_stripped "$src" "$stage/$rel" || {
      rm -rf "$stage"
      return 1
    }
    local imports
    imports="$(deploy_imports "$src")" || { rm -rf "$stage"; return 1; }
    while IFS= read -r name; do
      [ -n "$name" ] || continue
      lower="${name,,}"
      [ -n "${shipped[$lower]:-}" ] && continue
      deploy_is_system_dll "$name" && continue
      path="$(deploy_find_dll "$name" "${search[@]}")" || {
        echo "deploy: $(basename "$src") needs $name, which is neither a Windows DLL nor in any of: ${search[*]}" >&2
        rm -rf "$stage"
        return 1
      }
      shipped[$lower]=1
      queue+=("$path|$(basename "$path")")
    done <<<"$imports"
  done

  rm -rf "$deploy" && mv "$stage" "$deploy" || {
    echo "deploy: could not put the new folder in place at $deploy" >&2
    return 1
  }
  echo "deploy: $deploy holds $(find "$deploy" -type f | wc -l) files" >&2
}
