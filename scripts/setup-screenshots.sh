#!/usr/bin/env bash
# Screenshots of the setup program's pages under Xvfb, for the README:
# builds, runs the end-to-end test that walks through the pages (it saves a
# screenshot of each) and puts them, cut to the dialog, into
# uninstall/setup/screenshots/.
#   scripts/setup-screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMARION_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"
ctest --test-dir "$build" --output-on-failure -R 'wine_env_uninstall|UninstallEndToEnd\.SetupPages'
out=$root/uninstall/setup/screenshots
mkdir -p "$out"
for page in setup-1-folder setup-2-refused setup-3-progress setup-4-finish; do
  # The screen is black but for the dialog: -trim cuts it out.
  convert "$build/wine-env-uninstall/artifacts/$page.png" -trim +repage "$out/$page.png"
done
echo "screenshots in $out"
