#!/usr/bin/env bash
# Screenshots of the launcher and the game view at 150 % under Xvfb, for the
# README: builds, runs the 144-DPI tests that save the screen and puts the
# client's windows, cut out, into windows/screenshots/.
#   scripts/dpi-screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMARION_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"
ctest --test-dir "$build" --output-on-failure -R 'wine_env_dpi144|ScaledLauncher|ScaledGameView'
out=$root/windows/screenshots
mkdir -p "$out"
shots=$build/wine-env-dpi144/artifacts
# The screen is black but for the client's windows: -trim cuts them out.
convert "$shots/launcher-144.png" -trim +repage "$out/launcher-150.png"
# The game view fills the screen; its top left quarter shows the title bar.
convert "$shots/game-view-144.png" -crop 1440x810+0+0 +repage "$out/game-view-150.png"
echo "screenshots in $out"
