#!/usr/bin/env bash
# Builds everything and runs the benchmarks (tools/benchmark: the main window, the field
# editors, the band animation) under Xvfb, in the X11 test prefix, then the SWF core's native
# benchmark; prints their figures. Where this machine runs 32-bit programs, the main window's
# benchmark runs a second time as the release runs: built 32-bit and optimised like the
# release (build/i686-bench), starting the release program itself. Extra arguments go to each
# benchmark (number of runs).
# Fails when a benchmark fails or prints no figures.
# Do not run it while scripts/test.sh runs: both use the prefix's registry.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bash "$NB_ROOT/scripts/build.sh" >/dev/null

# The release's code with the benchmarks beside it, where 32-bit programs run.
bench32=$NB_ROOT/build/i686-bench
if "$NB_ROOT/scripts/i386-probe" --wine >/dev/null; then
  nb_configure "$NB_ROOT" "$bench32" \
    -DCMAKE_TOOLCHAIN_FILE="$NB_ROOT/cmake/toolchain-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DNB_BUILD_WALKTHROUGH=OFF -DNB_WERROR=OFF >/dev/null
  cmake --build "$bench32" --target bench_main_window >/dev/null
else
  echo "NOTE: the release's own benchmark is SKIPPED: this machine cannot run 32-bit programs." >&2
  bench32=
fi

for bench in "$NB_BUILD64/bench_main_window.exe" "$NB_BUILD64/bench_field_editors.exe" \
  "$NB_BUILD64/bench_animation.exe"; do
  [ -f "$bench" ] || { echo "error: $bench was not built" >&2; exit 1; }
done
prefix=$NB_BUILD64/wine-x11
nb_ensure_prefix "$prefix" x11

nb_stop_everything_on_exit

nb_start_xvfb 99
nb_start_wineserver "$prefix" "$NB_XVFB_DISPLAY"

# Output goes to a file: Wine's helper processes must not hold a pipe open.
log=$(mktemp "${TMPDIR:-/tmp}/bench.XXXXXX")
status=0
benches=("$NB_BUILD64/bench_main_window.exe" "$NB_BUILD64/bench_field_editors.exe" "$NB_BUILD64/bench_animation.exe")
[ -z "$bench32" ] || benches+=("$bench32/bench_main_window.exe")
for bench in "${benches[@]}"; do
  bench_status=0
  program=
  if [ -n "$bench32" ] && [ "$bench" = "$bench32/bench_main_window.exe" ]; then
    echo "== the release build: its code 32-bit and optimised, and $NB_BUILD32/NbCustomize.exe started"
    program=$NB_BUILD32/NbCustomize.exe
  fi
  NB_PROGRAM_UNDER_TEST=$program DISPLAY=$NB_XVFB_DISPLAY WINEPREFIX=$prefix wine "$bench" "$@" </dev/null >"$log" 2>&1 ||
    bench_status=$?
  if ! grep -v '^[0-9a-f]*:err:\|^[0-9a-f]*:fixme:' "$log"; then
    echo "error: $(basename "$bench") printed no figures" >&2
    [ "$bench_status" -ne 0 ] || bench_status=1
  fi
  if [ "$bench_status" -ne 0 ]; then
    echo "error: $(basename "$bench") failed with exit code $bench_status" >&2
    status=$bench_status
  fi
done
rm -f "$log"

# The SWF core's figures in the native optimised build (the sample and a generated 1 MB movie).
bash "$NB_ROOT/scripts/build-native.sh" >/dev/null
"$NB_BUILD_NATIVE/swfbench" "$NB_BUILD64/sample/images/corvane.swf" || status=$?

# Render time per frame of the five slowest movies of the reference corpus, when it is there.
corpus=$NB_ROOT/../shared/swf-corpus
if [ -d "$corpus" ]; then
  echo "reference corpus: render time per frame (swfrender --stats, native), the five slowest:"
  for meta in "$corpus"/*/meta.json; do
    name=$(basename "$(dirname "$meta")")
    frames=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["frames"])' "$meta")
    line=$(cd "$corpus/$name" && "$NB_BUILD_NATIVE/swfrender" test.swf /dev/null --frames "$frames" --stats 2>/dev/null) || continue
    ms=$(sed -n 's/.*render \([0-9.]*\) ms per frame.*/\1/p' <<<"$line")
    printf '%10s ms  %s (%s frames)\n' "$ms" "$name" "$frames"
  done | sort -rn | head -5
fi
exit "$status"
