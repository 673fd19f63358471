#!/usr/bin/env bash
# Builds the program, installs the sample assistant into a Wine prefix and runs
# NbCustomize.exe there, with the installation folder as its current directory.
#
# With $DISPLAY set, the program runs on that display for you to use. Without one, it
# runs under Xvfb, driven by the walkthrough driver (tools/walkthrough), which saves a
# screenshot of every window and accepts what each shows. At the end the export file
# is printed, and a package for software distribution is written from it (NbCustomize.exe
# /package) into build/x86_64/walkthrough-package, whose tree is printed.
#
# NB_RUN_PROGRAM names another NbCustomize.exe to run (the i686 release build, for
# example); NB_RUN_NO_BUILD=1 skips the build (tests/runners/walkthrough-test).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[ "${NB_RUN_NO_BUILD:-0}" = 1 ] || bash "$NB_ROOT/scripts/build.sh"

prefix=$NB_BUILD64/wine-run
install_win='C:\Program Files\Corvane\Access Nimbook II'
install_dir="$prefix/drive_c/Program Files/Corvane/Access Nimbook II"
program=${NB_RUN_PROGRAM:-$NB_BUILD64/NbCustomize.exe}
shots=$NB_BUILD64/walkthrough
export_file="$install_dir/Customization/HLXCM.REG"
package_dir=$NB_BUILD64/walkthrough-package

# Windows path of a Unix path, through Wine's Z: drive.
winpath() {
  local path=$1
  printf 'Z:%s' "${path//\//\\}"
}

# Runs a command in the prefix; prints its output only when it fails.
wine_checked() {
  local output status=0
  output=$(WINEPREFIX=$prefix DISPLAY=$display "$@" </dev/null 2>&1) || status=$?
  if [ "$status" -ne 0 ]; then
    printf '%s\n' "$output" >&2
  fi
  return "$status"
}

[ -f "$program" ] || { echo "error: $program was not built" >&2; exit 1; }
[ -f "$NB_ROOT/sample/assistant.reg" ] || { echo "error: sample/assistant.reg is missing" >&2; exit 1; }

nb_ensure_prefix "$prefix" x11

nb_stop_everything_on_exit

interactive=0
if [ -n "${DISPLAY:-}" ]; then
  interactive=1
  display=$DISPLAY
else
  nb_start_xvfb 98
  display=$NB_XVFB_DISPLAY
fi
NB_WINE_DISPLAY=$display
nb_log "starting the wineserver of $prefix (display $display)"
nb_start_wineserver "$prefix" "$display"

# Under Xvfb nobody manages the windows; on a real desktop the window manager does.
if [ "$interactive" = 1 ]; then
  nb_wine "$prefix" wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f || true
else
  wine_checked wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
fi

nb_log "installing the sample assistant in $install_win"
# The administrator's own settings start afresh too.
nb_wine "$prefix" wine reg delete 'HKCU\Software\Corvane' /f || true
if ! nb_install_sample "$prefix" "$install_dir"; then
  echo "error: wine reg import sample/assistant.reg failed" >&2
  exit 1
fi

status=0
if [ "$interactive" = 1 ]; then
  nb_log "running NbCustomize.exe on $display"
  (cd "$install_dir" && WINEPREFIX=$prefix DISPLAY=$display wine "$program" </dev/null) || status=$?
  echo "NbCustomize.exe ended with exit code $status"
else
  nb_log "walking through NbCustomize.exe under Xvfb $display"
  rm -rf "$shots"
  mkdir -p "$shots"
  WINEPREFIX=$prefix DISPLAY=$display wine "$NB_BUILD64/walkthrough.exe" \
    "$(winpath "$program")" "$install_win" "$(winpath "$shots")" 60 </dev/null || status=$?

  # The screenshots are BMPs; PNGs are smaller and shown everywhere.
  converter=
  for candidate in /usr/bin/convert-im6.q16 /usr/bin/convert-im7.q16 /usr/bin/magick convert; do
    if command -v "$candidate" >/dev/null 2>&1; then
      converter=$candidate
      break
    fi
  done
  shopt -s nullglob
  if [ -n "$converter" ]; then
    for bmp in "$shots"/*.bmp; do
      "$converter" "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
  fi
  nb_log "screenshots in $shots:"
  for shot in "$shots"/*; do
    echo "    $shot"
  done
fi

echo
echo "Export file: $export_file"
if [ -f "$export_file" ]; then
  cat "$export_file"
else
  echo "(not written)"
  [ "$status" -ne 0 ] || status=1
fi

echo
echo "Package: NbCustomize.exe /package $(winpath "$package_dir")"
rm -rf "$package_dir"
package_status=0
(cd "$install_dir" && WINEPREFIX=$prefix DISPLAY=$display wine "$program" /package "$(winpath "$package_dir")" \
  </dev/null 2>/dev/null | cat; exit "${PIPESTATUS[0]}") || package_status=$?
if [ "$package_status" -eq 0 ] && [ -d "$package_dir" ]; then
  (cd "$package_dir" && find . -mindepth 1 | LC_ALL=C sort | sed 's|^\./|    |')
else
  echo "(not written: exit status $package_status)"
  [ "$status" -ne 0 ] || status=1
fi
exit "$status"
