# Shared helpers of the scripts (sourced, not run).

NB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NB_BUILD64=$NB_ROOT/build/x86_64
NB_BUILD32=$NB_ROOT/build/i686
NB_BUILD_NATIVE=$NB_ROOT/build/native

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

nb_log() {
  echo "==> $*"
}

# nb_wine PREFIX COMMAND... : runs COMMAND in the Wine prefix, detached from our
# terminal and pipes (Wine's helper processes would keep them open). The X display is
# $NB_WINE_DISPLAY; when that is empty, there is none.
NB_WINE_DISPLAY=
nb_wine() {
  local prefix=$1
  shift
  if [ -n "$NB_WINE_DISPLAY" ]; then
    DISPLAY=$NB_WINE_DISPLAY WINEPREFIX=$prefix "$@" </dev/null >/dev/null 2>&1
  else
    env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" "$@" </dev/null >/dev/null 2>&1
  fi
}

# nb_installed PACKAGE: true when the Debian package is installed.
nb_installed() {
  [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]
}

# nb_configure SOURCE_DIR BUILD_DIR ARGS...: the generator (Ninja) is chosen only for a new
# build folder.
nb_configure() {
  local source=$1 build=$2
  shift 2
  local generator=()
  [ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S "$source" -B "$build" "${generator[@]}" "$@"
}

# nb_install_sample PREFIX INSTALL_DIR: the sample assistant in the Wine prefix: its registry
# (in the 32-bit view, after removing any earlier one) and its artwork in INSTALL_DIR/images.
# False when the registry import fails.
nb_install_sample() {
  local prefix=$1 install_dir=$2
  nb_wine "$prefix" wine reg delete 'HKLM\Software\Corvane' /f /reg:32 || true
  nb_wine "$prefix" wine reg import "Z:${NB_ROOT//\//\\}\\sample\\assistant.reg" /reg:32 || return 1
  rm -rf "$install_dir"
  mkdir -p "$install_dir/images"
  cp -a "$NB_BUILD64/sample/images/." "$install_dir/images/"
}

# Marker of a finished prefix; a prefix with another marker text is made again. A prefix
# made without Wine's 32-bit side (wine32) lacks it for good, so the marker names it.
if nb_installed wine32:i386; then
  NB_PREFIX_VERSION="nb-prefix 2 wow64"
else
  NB_PREFIX_VERSION="nb-prefix 2 64-bit only"
fi

nb_prefix_ready() {
  [ "$(cat "$1/.nb-ready" 2>/dev/null)" = "$NB_PREFIX_VERSION" ]
}

# A pristine prefix, booted once and never run again. The working prefixes are copies
# of it that share its program files (*.dll, *.exe, *.drv, *.sys: nearly all of its
# 700 MB) through hard links and own real copies of everything else: Wine rewrites
# the registry files in place, and programs may rewrite other files.
# Debian's Wine 8 does not find its own fonts (package fonts-wine: Tahoma, MS Sans Serif,
# Marlett for the caption buttons...) in /usr/share/wine/fonts, but it loads every font
# in C:\windows\Fonts: so they are copied there.
nb_ensure_base_prefix() {
  local base=$NB_BUILD64/wine-base
  nb_prefix_ready "$base" && return 0
  nb_log "creating Wine prefix $base"
  rm -rf "$base"
  mkdir -p "$NB_BUILD64"
  (
    NB_WINE_DISPLAY=
    nb_wine "$base" wineboot -i || exit 1
    nb_wine "$base" wineserver -w
  ) || { echo "error: wineboot failed for $base" >&2; return 1; }
  if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$base/drive_c/windows/Fonts/"
  fi
  echo "$NB_PREFIX_VERSION" >"$base/.nb-ready"
}

# nb_ensure_prefix DIR KIND: KIND null (null display driver) or x11 (for Xvfb:
# unmanaged windows, or EndDialog waits for a window manager). Skipped when ready.
nb_ensure_prefix() {
  local prefix=$1 kind=$2
  nb_prefix_ready "$prefix" && return 0
  nb_ensure_base_prefix || return 1
  nb_log "creating Wine prefix $prefix ($kind)"
  rm -rf "$prefix"
  cp -al "$NB_BUILD64/wine-base" "$prefix"
  rm -f "$prefix/.nb-ready"
  find "$prefix" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' -o -iname '*.sys' \) \
    -exec sh -c 'for f; do cp -p "$f" "$f.nb-copy" && mv -f "$f.nb-copy" "$f" || exit 1; done' sh {} + ||
    { echo "error: could not copy $NB_BUILD64/wine-base to $prefix" >&2; return 1; }
  (
    NB_WINE_DISPLAY=
    case $kind in
      null) nb_wine "$prefix" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f || exit 1 ;;
      x11) nb_wine "$prefix" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || exit 1 ;;
      *) exit 1 ;;
    esac
    # Stopping the server saves the registry at once (waiting for it to quit takes 3 s).
    nb_wine "$prefix" wineserver -k
    nb_wine "$prefix" wineserver -w
  ) || { echo "error: could not configure Wine prefix $prefix" >&2; return 1; }
  echo "$NB_PREFIX_VERSION" >"$prefix/.nb-ready"
}

# nb_start_wineserver PREFIX [DISPLAY]: a persistent wineserver with every descriptor
# detached, and a booted session (on DISPLAY, else with none), so that programs start
# in a fraction of a second. nb_stop_wineservers stops them again.
nb_start_wineserver() {
  local prefix=$1
  local NB_WINE_DISPLAY=${2:-}
  nb_wine "$prefix" wineserver -k || true
  nb_wine "$prefix" wineserver -w || true
  nb_wine "$prefix" wineserver -p || { echo "error: wineserver did not start for $prefix" >&2; return 1; }
  NB_WINESERVERS+=("$prefix")
  nb_wine "$prefix" wine rundll32.exe user32.dll,GetDesktopWindow || true
}

nb_stop_wineservers() {
  local prefix pid pids=()
  for prefix in "${NB_WINESERVERS[@]}"; do
    nb_wine "$prefix" wineserver -k &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || true
  done
  NB_WINESERVERS=()
}
NB_WINESERVERS=()

# nb_start_xvfb FIRST_DISPLAY_NUMBER: starts Xvfb on the first free display number from
# there; its display name goes to NB_XVFB_DISPLAY.
nb_start_xvfb() {
  local n=$1
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
    n=$((n + 1))
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  NB_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    if ! kill -0 "$NB_XVFB_PID" 2>/dev/null; then
      echo "error: Xvfb :$n did not start" >&2
      NB_XVFB_PID=
      return 1
    fi
    sleep 0.1
  done
  if [ ! -e "/tmp/.X11-unix/X$n" ]; then
    echo "error: Xvfb :$n did not open its socket" >&2
    nb_stop_xvfb
    return 1
  fi
  NB_XVFB_DISPLAY=":$n"
}

nb_stop_xvfb() {
  if [ -n "${NB_XVFB_PID:-}" ]; then
    kill "$NB_XVFB_PID" 2>/dev/null || true
    wait "$NB_XVFB_PID" 2>/dev/null || true
    NB_XVFB_PID=
  fi
}
NB_XVFB_PID=

# Stops the wineservers and Xvfb that the script started when it ends, however it ends.
nb_stop_everything_on_exit() {
  trap 'nb_stop_wineservers; nb_stop_xvfb' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}
