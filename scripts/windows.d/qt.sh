# Qt for Windows, built once from Debian's own qt6-base source with the MinGW-w64 cross compiler and
# kept outside the source tree. Sourced by scripts/windows; sets QT_WIN (the installed Qt's folder).

QT_CONFIGURE=(
  -xplatform win32-g++ -qt-host-path /usr -release -shared -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu -no-feature-vulkan -no-feature-sql -no-feature-network
  -no-feature-printsupport -no-feature-concurrent -no-feature-xml -no-feature-direct2d1_1
  -no-feature-tabletevent -no-feature-androiddeployqt -no-libjpeg
  -qt-freetype -qt-harfbuzz -qt-zlib -qt-pcre -qt-libpng
)

qt_cache_key() {
  local qt_version compiler
  qt_version="$(apt-cache policy qt6-base-dev | sed -n 's/^ *Installed: //p')"
  compiler="$(x86_64-w64-mingw32-g++-posix -dumpfullversion) $(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)"
  printf '%s\n' "$qt_version" "$compiler" "${QT_CONFIGURE[*]}" "$(cat packaging/windows/mingw-w64.cmake)" |
    sha256sum | cut -c1-12
}

# Adds a deb-src entry for the mirror and suites the machine already uses, when there is none.
ensure_source_entries() {
  grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  sed -n '1,/^$/p' /etc/apt/sources.list.d/debian.sources | sed 's/^Types: deb$/Types: deb-src/' |
    $sudo tee /etc/apt/sources.list.d/vq-debian-src.sources >/dev/null
  $sudo apt-get update -qq
}

build_qt() {
  local key prefix work started
  key="$(qt_cache_key)"
  prefix="$CACHE/qt-6-mingw-$key"
  QT_WIN="$prefix"
  [ -f "$prefix/.complete" ] && return 0
  echo "scripts/windows: building Qt for Windows once into $prefix (about 30 minutes on two cores)" >&2
  started=$(date +%s)
  ensure_source_entries
  work="$CACHE/qt-build-$key"
  rm -rf "$work" "$prefix"
  mkdir -p "$work/src" "$work/build"
  (cd "$work/src" && apt-get source -qq qt6-base >/dev/null 2>&1) || {
    echo "scripts/windows: apt-get source qt6-base failed" >&2
    return 1
  }
  local src
  src="$(find "$work/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)"
  (cd "$work/build" && "$src/configure" -prefix "$prefix" "${QT_CONFIGURE[@]}" -- \
      -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/packaging/windows/mingw-w64.cmake" \
      -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake) >"$work/configure.log" 2>&1 || {
    tail -40 "$work/configure.log" >&2
    echo "scripts/windows: Qt's configure failed; the log is $work/configure.log" >&2
    return 1
  }
  cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" 2>&1 &&
    cmake --install "$work/build" >>"$work/build.log" 2>&1 || {
    tail -40 "$work/build.log" >&2
    echo "scripts/windows: building Qt failed; the log is $work/build.log" >&2
    return 1
  }
  touch "$prefix/.complete"
  rm -rf "$work"
  echo "scripts/windows: Qt for Windows built in $(( $(date +%s) - started )) s" >&2
}
