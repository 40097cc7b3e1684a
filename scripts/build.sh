#!/usr/bin/env bash
# Configures and builds the Windows programs with the mingw-w64 toolchain.
#   scripts/build.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${LUMARION_BUILD_DIR:-$root/build}}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build"
