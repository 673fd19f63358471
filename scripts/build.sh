#!/usr/bin/env bash
# Configures and builds both builds:
#   build/x86_64  64-bit, debug, with the tests and the walkthrough driver (run under Wine)
#   build/i686    32-bit release (-O2), warnings are errors; compiled and linked only
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bash "$NB_ROOT/scripts/setup.sh"

nb_log "configuring $NB_BUILD64"
nb_configure "$NB_ROOT" "$NB_BUILD64" \
  -DCMAKE_TOOLCHAIN_FILE="$NB_ROOT/cmake/toolchain-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DNB_BUILD_WALKTHROUGH=ON -DNB_WERROR=OFF
nb_log "building $NB_BUILD64"
cmake --build "$NB_BUILD64"

nb_log "configuring $NB_BUILD32"
nb_configure "$NB_ROOT" "$NB_BUILD32" \
  -DCMAKE_TOOLCHAIN_FILE="$NB_ROOT/cmake/toolchain-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DNB_BUILD_WALKTHROUGH=OFF -DNB_WERROR=ON
nb_log "building $NB_BUILD32"
cmake --build "$NB_BUILD32"
