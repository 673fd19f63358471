#!/usr/bin/env bash
# Configures and builds both builds:
#   build/x86_64  64-bit, debug, with the tests and the walkthrough driver (run under Wine)
#   build/i686    32-bit release (-O2), warnings are errors; compiled and linked only
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bash "$NB_ROOT/scripts/setup.sh"

# configure_and_build BUILD_DIR PROCESSOR CMAKE_ARGS...: one build with its toolchain.
configure_and_build() {
  local build=$1 processor=$2
  shift 2
  nb_log "configuring $build"
  nb_configure "$NB_ROOT" "$build" -DCMAKE_TOOLCHAIN_FILE="$NB_ROOT/cmake/toolchain-$processor.cmake" "$@"
  nb_log "building $build"
  cmake --build "$build"
}

configure_and_build "$NB_BUILD64" x86_64 \
  -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DNB_BUILD_WALKTHROUGH=ON -DNB_WERROR=OFF
configure_and_build "$NB_BUILD32" i686 \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DNB_BUILD_WALKTHROUGH=OFF -DNB_WERROR=ON
