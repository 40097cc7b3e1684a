#!/usr/bin/env bash
# Builds the client, serves the bundled demo site on loopback, writes the
# matching Config.ini and starts the client under Wine: on $DISPLAY when
# there is one, otherwise on a private Xvfb display with screenshots saved
# under build/run/ and the client stopped afterwards.
#   scripts/run.sh [--double]
# Wine's own web-browser control has no HTML engine here: it requests the
# landing page and shows nothing. With --double (or LUMARION_RUN_DOUBLE=1)
# the prefix uses the scripted stand-in of the control from the tests
# (tests/browserdouble), which shows the landing page and, after a few
# seconds, moves on to the game page, so the whole flow can be watched:
# login view, then game view.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMARION_BUILD_DIR:-$root/build}
run="$build/run"

double=${LUMARION_RUN_DOUBLE:-0}
for arg in "$@"; do
  case "$arg" in
  --double) double=1 ;;
  -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
  *) echo "unknown option $arg (see --help)" >&2; exit 2 ;;
  esac
done

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"
if [ "$double" = 1 ]; then
  cmake --build "$build" --target ScriptedBrowser
fi

# Separate prefixes: the stand-in must never stay registered for a plain run.
prefix="$run/prefix"
[ "$double" = 1 ] && prefix="$run/prefix-double"
mkdir -p "$run/app" "$run/home"
cp "$build/Lumarion.exe" "$run/app/"
rm -f "$run"/login-view.png "$run"/game-view.png "$run/site.log"

rm -f "$run/port"
python3 "$root/tools/demo_site.py" --port-file "$run/port" --log "$run/site.log" &
site=$!
xvfb=""
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  kill "$site" 2>/dev/null || true
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$run/port" ] && break; sleep 0.1; done
port=$(cat "$run/port")

param='?from=demo'
if [ "$double" = 1 ]; then
  # The landing page tells the stand-in to go on to the game page 5 s after
  # it has loaded.
  param='?from=demo&double=navigate%20%2Fgame%3Ftype%3D3%26server_id%3D1001%205000'
fi
printf '[Common]\r\nParam=%s\r\n[Sites]\r\nPlatform=http://127.0.0.1:%s\r\nForum=http://127.0.0.1:%s\r\nOfficial=http://127.0.0.1:%s\r\n' \
  "$param" "$port" "$port" "$port" >"$run/app/Config.ini"
echo "demo site: http://127.0.0.1:$port/lander/qmvt$param"

if [ -z "${DISPLAY:-}" ]; then
  rm -f "$run/display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$run/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$run/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '\n' <"$run/display")"
  echo "no display: running on Xvfb $DISPLAY, screenshots in $run"
fi

export WINEPREFIX="$prefix" HOME="$run/home" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
wine64_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Without address randomisation: Debian's Wine has no preloader to reserve
# the addresses Windows programs expect before the kernel places the loader's
# heap, and now and then that heap lies over the shared user data page
# (0x7ffe0000); the program then dies before its first line ("failed to map
# the shared user data: c0000018", exit code 1).
wine64() { setarch -R "$wine64_loader" "$@"; }
[ -f "$WINEPREFIX/system.reg" ] || wine64 wineboot -i >/dev/null 2>&1
# "宋体"/"SimSun" are not installed; map both to the CJK font we have. A
# private Xvfb has no window manager: unmanaged windows keep Wine from
# waiting for one (maximising, hiding); a real display keeps its own.
managed=Y
[ -n "$xvfb" ] && managed=N
lines=('Windows Registry Editor Version 5.00' ''
  '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
  '"SimSun"="WenQuanYi Micro Hei"' '"宋体"="WenQuanYi Micro Hei"' ''
  '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
  "\"Managed\"=\"$managed\"" '')
if [ "$double" = 1 ]; then
  # The 64-bit view of HKLM is where this 64-bit client looks the control up.
  dll=$(realpath "$build/tests/browserdouble/ScriptedBrowser.dll")
  dll="Z:${dll//\//\\\\}"
  lines+=('[HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{8856F961-340A-11D0-A96B-00C04FD705A2}\InprocServer32]'
    "@=\"$dll\"" '')
fi
printf '%s\r\n' "${lines[@]}" | iconv -f UTF-8 -t UTF-16LE >"$run/setup.reg.body"
{ printf '\xff\xfe'; cat "$run/setup.reg.body"; } >"$run/setup.reg"
rm -f "$run/setup.reg.body"
regfile=$(realpath "$run/setup.reg")
wine64 regedit /S "Z:${regfile//\//\\}" >/dev/null 2>&1
if [ "$double" = 1 ]; then
  echo "web-browser control: the scripted stand-in (tests/browserdouble); the game view follows the login view after a few seconds"
else
  echo "web-browser control: Wine's own, which has no HTML engine here: the landing page fails, the offline panel shows and the game view is never reached (use --double to watch the whole flow)"
fi

# Waits up to $2 seconds for a request line starting with $1 in the site log.
wait_for_request() {
  for _ in $(seq $(($2 * 10))); do
    grep -q "^GET $1" "$run/site.log" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

set +e
wine64 "$run/app/Lumarion.exe" &
client=$!
if [ -n "$xvfb" ]; then
  code=0
  if wait_for_request /lander/qmvt 30; then
    sleep 2
    import -window root "$run/login-view.png" 2>/dev/null && echo "screenshot of the login view: $run/login-view.png"
  else
    echo "the landing page was never requested" >&2
    code=1
  fi
  if [ "$double" = 1 ]; then
    # Entering the game view takes 1.5 s, showing it maximised 0.7 s more.
    if wait_for_request /game 30; then
      sleep 5
      import -window root "$run/game-view.png" 2>/dev/null && echo "screenshot of the game view: $run/game-view.png"
    else
      echo "the game page was never requested" >&2
      code=1
    fi
  fi
  # Nobody can use a private display: stop the client here.
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  wait "$client"
  echo "Lumarion stopped after the screenshots"
else
  wait "$client"
  code=$?
  echo "Lumarion exited with code $code"
fi
echo "requests the demo site received:"; cat "$run/site.log" 2>/dev/null || true
exit "$code"
