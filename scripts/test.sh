#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine
# in a throwaway prefix and display. CTest's summary is the last thing printed.
#   scripts/test.sh [extra ctest arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMARION_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"
exec ctest --test-dir "$build" -j2 --output-on-failure "$@"
