#!/usr/bin/env bash
# Builds the client, serves the bundled demo site on loopback, writes the
# matching Config.ini and starts the client under Wine: on $DISPLAY when
# there is one, otherwise on a private Xvfb display with screenshots saved
# under build/run/.
#   scripts/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMARION_BUILD_DIR:-$root/build}
run="$build/run"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"

mkdir -p "$run/app" "$run/home"
cp "$build/Lumarion.exe" "$run/app/"

rm -f "$run/port"
python3 "$root/tools/demo_site.py" --port-file "$run/port" --log "$run/site.log" &
site=$!
xvfb=""
cleanup() {
  kill "$site" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$run/port" ] && break; sleep 0.1; done
port=$(cat "$run/port")

printf '[Common]\r\nParam=?from=demo\r\n[Sites]\r\nPlatform=http://127.0.0.1:%s\r\nForum=http://127.0.0.1:%s\r\nOfficial=http://127.0.0.1:%s\r\n' \
  "$port" "$port" "$port" >"$run/app/Config.ini"
echo "demo site: http://127.0.0.1:$port/lander/qmvt?from=demo"

if [ -z "${DISPLAY:-}" ]; then
  Xvfb :77 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=:77
  sleep 1
  echo "no display: running on Xvfb $DISPLAY, screenshots in $run"
fi

export WINEPREFIX="$run/prefix" HOME="$run/home" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -f "$WINEPREFIX/system.reg" ] || "$wine64" wineboot -i >/dev/null 2>&1
set +e
"$wine64" "$run/app/Lumarion.exe" &
client=$!
if [ -n "$xvfb" ]; then
  sleep 8
  import -window root "$run/screen.png" 2>/dev/null && echo "screenshot: $run/screen.png"
fi
wait "$client"
code=$?
echo "Lumarion exited with code $code"
echo "requests the demo site received:"; cat "$run/site.log" 2>/dev/null || true
exit "$code"
