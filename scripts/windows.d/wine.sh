# A private wine prefix for running the Windows programs and their tests on this machine. Wine
# links COM1 to /dev/ttyS0 (and further ports to /dev/ttyUSB*, /dev/ttyACM*) whenever its
# services start, so the links are dropped again before any program runs; the only COM ports
# left are those mapped here to pseudo-terminals. Sourced by wine-run, scripts/test and tests/windows.

WINE_QT_FONTS=(
  /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf
  /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
)
# The face of wine's "MS Shell Dlg", in which the forms are drawn there.
WINE_SYSTEM_FONTS=(/usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf)

# No Mono or Gecko download prompts, and no winemenubuilder: it would write menu entries and file
# associations for what is installed in the prefix into this machine's home folder.
WINE_DLL_OVERRIDES="mscoree,mshtml,winemenubuilder.exe="

# Runs a wine tool in PREFIX ($1) with wine's own chatter off.
wine_in() {
  local prefix="$1"
  shift
  WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="$WINE_DLL_OVERRIDES" "$@"
}

# Wine links the user's Desktop, Documents and the like to this machine's home folder; in the
# prefix they are plain folders, so nothing a program saves there lands outside it.
wine_unlink_home_folders() {
  local link
  for link in "$1"/drive_c/users/*/*; do
    [ -L "$link" ] || continue
    case "$(readlink "$link")" in
      /*) rm -f "$link" && mkdir "$link" || { echo "wine: cannot replace $link" >&2; return 1; } ;;
    esac
  done
}

# The folder of fonts Qt's offscreen platform reads (through QT_QPA_FONTDIR) inside PREFIX.
wine_font_dir() {
  printf '%s\n' "$1/drive_c/vq-fonts"
}

# Prints the Windows form of a Linux path. Wine maps Z: to /, which wine_prefix_ready keeps so.
wine_windows_path() {
  local prefix="$1" path="$2"
  case "$path" in
    /*) ;;
    *) path="$PWD/$path" ;;
  esac
  if [ "$(readlink "$prefix/dosdevices/z:")" = "/" ]; then
    printf 'Z:%s\n' "${path//\//\\}"
  else
    wine_in "$prefix" winepath -w "$path" 2>/dev/null | tr -d '\r'
  fi
}

# Removes every dosdevices/com* link that does not lead to a pseudo-terminal: wine's own links to
# this machine's serial ports, and links to terminals that are gone.
wine_drop_serial_links() {
  local link target
  for link in "$1"/dosdevices/com*; do
    [ -L "$link" ] || continue
    target="$(readlink -f "$link" || true)"
    case "$target" in
      /dev/pts/[0-9]*) [ -c "$target" ] && continue ;;
    esac
    rm -f "$link" || { echo "wine: cannot remove $link" >&2; return 1; }
  done
}

# wine_prefix_quick PREFIX
# Before each program: when the prefix is ready and its wine server already runs (scripts/test
# keeps one running for the whole test run), only the serial links are checked again; otherwise
# the full wine_prefix_ready.
wine_prefix_quick() {
  local prefix="$1"
  if [ -f "$prefix/.vq-ready" ] && wine_server_running "$prefix"; then
    wine_drop_serial_links "$prefix"
  else
    wine_prefix_ready "$prefix"
  fi
}

# Whether a wine server serves PREFIX now: its socket lies in a folder named after the prefix's
# device and inode numbers, in hexadecimal, under /tmp/wine-*/ (Debian's build) or /tmp/.wine-UID/.
wine_server_running() {
  local id socket
  id="server-$(stat -c '%D' "$1")-$(printf '%x' "$(stat -c '%i' "$1")")"
  for socket in /tmp/wine-*/"$id"/socket /tmp/.wine-"$(id -u)"/"$id"/socket; do
    [ -S "$socket" ] && return 0
  done
  return 1
}

# wine_reg_persist PREFIX LOG ARGS...
# Runs "wine reg ARGS" in PREFIX with its output appended to LOG, and tries again a few times, a
# little later each time, when it fails: the first programs in a new prefix start its wine server
# and services anew, and on a busy machine one that meets a server still ending (or services still
# starting) can fail although nothing is wrong. With WINE_REG_ALONE=1 (the prefix is being created
# and nobody else uses it) the server is also let end between tries.
wine_reg_persist() {
  local prefix="$1" log="$2" try status
  shift 2
  for try in 1 2 3 4 5; do
    echo "wine reg $* (try $try of 5):" >>"$log"
    wine_in "$prefix" wine reg "$@" </dev/null >>"$log" 2>&1 && return 0
    status=$?
    echo "wine reg: exit status $status" >>"$log"
    if [ "${WINE_REG_ALONE:-0}" = 1 ]; then
      wine_in "$prefix" wineserver -w >>"$log" 2>&1
    fi
    sleep "$((try * ${WINE_REG_PAUSE:-1}))"
  done
  return 1
}

# wine_prefix_ready PREFIX
# Makes PREFIX a wine prefix with the fonts the programs need and wine's services running (so
# they never inherit a caller's output pipe), with no COM port reaching a real serial port.
# Tests run side by side call it at once, hence the lock.
wine_prefix_ready() {
  local prefix="$1"
  case "$prefix" in
    /*) ;;
    *) echo "wine: the prefix must be an absolute path, not '$prefix'" >&2; return 1 ;;
  esac
  mkdir -p "$(dirname "$prefix")" || return 1
  (
    flock 9 || { echo "wine: cannot lock $prefix.lock" >&2; exit 1; }
    # Nothing started inside may inherit the lock: wine's services outlive this call and would hold it.
    wine_prefix_ready_locked "$prefix" 9>&-
  ) 9>"$prefix.lock"
}

wine_prefix_ready_locked() {
  local prefix="$1" f
  if [ ! -f "$prefix/.vq-ready" ]; then
    # A creation cut short is started over; any other folder, a wine prefix made elsewhere
    # included, is never touched.
    if [ -e "$prefix" ] && [ -n "$(ls -A "$prefix")" ]; then
      [ -f "$prefix/.vq-creating" ] || {
        echo "wine: $prefix exists and was not made by wine_prefix_ready; not using it" >&2
        return 1
      }
      wine_in "$prefix" wineserver -k >/dev/null 2>&1 || true
      rm -rf "$prefix"
    fi
    mkdir -p "$prefix" && touch "$prefix/.vq-creating" || return 1
    wine_in "$prefix" wineboot -i </dev/null >"$prefix.log" 2>&1 &&
      wine_in "$prefix" wineserver -w >>"$prefix.log" 2>&1 || {
      cat "$prefix.log" >&2
      echo "wine: creating the prefix $prefix failed" >&2
      return 1
    }
    [ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c/windows" ] || {
      cat "$prefix.log" >&2
      echo "wine: wineboot left no usable prefix at $prefix" >&2
      return 1
    }
    # Also for wine started by hand in this prefix, without WINEDLLOVERRIDES.
    WINE_REG_ALONE=1 wine_reg_persist "$prefix" "$prefix.log" add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe \
      /t REG_SZ /d "" /f || {
      cat "$prefix.log" >&2
      echo "wine: turning winemenubuilder off in $prefix failed (wine's output is above)" >&2
      return 1
    }
    rm -f "$prefix.log" "$prefix/.vq-creating"
    touch "$prefix/.vq-ready"
  fi

  [ -L "$prefix/dosdevices/z:" ] || ln -s / "$prefix/dosdevices/z:" || return 1
  for f in "${WINE_SYSTEM_FONTS[@]}"; do
    cmp -s "$f" "$prefix/drive_c/windows/Fonts/$(basename "$f")" ||
      cp "$f" "$prefix/drive_c/windows/Fonts/" || { echo "wine: cannot copy $f" >&2; return 1; }
  done
  local fonts
  fonts="$(wine_font_dir "$prefix")"
  mkdir -p "$fonts" || return 1
  for f in "${WINE_QT_FONTS[@]}"; do
    cmp -s "$f" "$fonts/$(basename "$f")" ||
      cp "$f" "$fonts/" || { echo "wine: cannot copy $f" >&2; return 1; }
  done

  # Starting the services links COM1 to /dev/ttyS0, and after an upgrade of wine relinks the
  # home folders, so both are undone after it.
  wine_in "$prefix" wine cmd /c exit </dev/null >/dev/null 2>&1 || {
    echo "wine: wine's services did not start in $prefix" >&2
    return 1
  }
  wine_unlink_home_folders "$prefix" || return 1
  wine_drop_serial_links "$prefix"
}

wine_check_port_number() {
  [[ "$1" =~ ^[1-9][0-9]*$ ]] && [ "$1" -le 256 ] || {
    echo "wine: '$1' is not a COM port number (1 to 256)" >&2
    return 1
  }
}

# wine_map_com PREFIX N PATH
# Makes COMN reach PATH, which must lead to a pseudo-terminal. The registry entry is what wine's
# serial driver reads whenever its services start; the link made here matches it, so programs
# started from now on reach PATH without a restart of wine.
wine_map_com() {
  local prefix="$1" n="$2" path="$3" target
  wine_check_port_number "$n" || return 1
  target="$(readlink -f "$path" || true)"
  case "$target" in
    /dev/pts/[0-9]*) [ -c "$target" ] ;;
    *) false ;;
  esac || {
    echo "wine: $path is not a pseudo-terminal; only those are mapped to COM ports" >&2
    return 1
  }
  local log
  log="$(mktemp)" || return 1
  wine_reg_persist "$prefix" "$log" add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$path" /f || {
    cat "$log" >&2
    rm -f "$log"
    echo "wine: writing COM$n to the registry of $prefix failed (wine's output is above)" >&2
    return 1
  }
  rm -f "$log"
  ln -sfn "$path" "$prefix/dosdevices/com$n" || return 1
  wine_drop_serial_links "$prefix"
}

# wine_unmap_com PREFIX N
wine_unmap_com() {
  local prefix="$1" n="$2"
  wine_check_port_number "$n" || return 1
  local ports
  # reg delete fails both for a missing value and for a real fault; the listing tells them apart.
  wine_in "$prefix" wine reg delete 'HKLM\Software\Wine\Ports' /v "COM$n" /f \
    </dev/null >/dev/null 2>&1 || true
  ports="$(wine_in "$prefix" wine reg query 'HKLM\Software\Wine\Ports' </dev/null 2>/dev/null)" || {
    echo "wine: cannot read the COM ports from the registry of $prefix" >&2
    return 1
  }
  if grep -qi "^[[:space:]]*COM${n}[[:space:]]" <<<"$ports"; then
    echo "wine: COM$n is still in the registry of $prefix" >&2
    return 1
  fi
  rm -f "$prefix/dosdevices/com$n" || return 1
  wine_drop_serial_links "$prefix"
}

# wine_display_start FBDIR
# Starts a virtual X display of its own, its screen kept in FBDIR/Xvfb_screen0, and exports DISPLAY;
# WINE_DISPLAY_PID is the server's process, for the caller to end.
wine_display_start() {
  local fbdir="$1" n
  for n in $(seq $((300 + $$ % 200)) $((309 + $$ % 200))); do
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -fbdir "$fbdir" -nolisten tcp -noreset >/dev/null 2>&1 &
    WINE_DISPLAY_PID=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$WINE_DISPLAY_PID" 2>/dev/null || true
    wait "$WINE_DISPLAY_PID" 2>/dev/null || true
  done
  echo "wine: Xvfb did not start" >&2
  return 1
}
