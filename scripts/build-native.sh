#!/usr/bin/env bash
# Configures and builds build/native: the portable parts with clang, their sanitized unit
# tests and their fuzz targets (see native/CMakeLists.txt).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bash "$NB_ROOT/scripts/setup.sh"
nb_log "configuring $NB_BUILD_NATIVE"
CC=clang CXX=clang++ nb_configure "$NB_ROOT/native" "$NB_BUILD_NATIVE" -DCMAKE_BUILD_TYPE=Debug
nb_log "building $NB_BUILD_NATIVE"
cmake --build "$NB_BUILD_NATIVE"
