#!/usr/bin/env bash
# Configures and builds both builds:
#   build/x86_64  64-bit, debug, with the tests and the walkthrough driver (run under Wine)
#   build/i686    32-bit release (-O2), warnings are errors; compiled and linked only
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bash "$NB_ROOT/scripts/setup.sh"

# configure BUILD_DIR ARGS...: the generator is chosen only for a new build folder.
configure() {
  local dir=$1
  shift
  local generator=()
  [ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S "$NB_ROOT" -B "$dir" "${generator[@]}" "$@"
}

nb_log "configuring $NB_BUILD64"
configure "$NB_BUILD64" \
  -DCMAKE_TOOLCHAIN_FILE="$NB_ROOT/cmake/toolchain-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DNB_BUILD_WALKTHROUGH=ON -DNB_WERROR=OFF
nb_log "building $NB_BUILD64"
cmake --build "$NB_BUILD64"

nb_log "configuring $NB_BUILD32"
configure "$NB_BUILD32" \
  -DCMAKE_TOOLCHAIN_FILE="$NB_ROOT/cmake/toolchain-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DNB_BUILD_WALKTHROUGH=OFF -DNB_WERROR=ON
nb_log "building $NB_BUILD32"
cmake --build "$NB_BUILD32"
