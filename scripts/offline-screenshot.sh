#!/usr/bin/env bash
# Screenshot of the offline panel under Xvfb, for the README: builds, runs
# the end-to-end test that shows the panel (it saves the screen) and puts
# it, cut to the client's windows, into windows/screenshots/.
#   scripts/offline-screenshot.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMARION_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"
ctest --test-dir "$build" --output-on-failure -R 'wine_env_double|ClientEndToEnd\.AnUnreachableSite'
out=$root/windows/screenshots
mkdir -p "$out"
# The screen is black but for the launcher and the login view: -trim cuts them out.
convert "$build/wine-env-double/artifacts/client-offline-panel.png" -trim +repage "$out/offline-panel.png"
echo "screenshot in $out"
