#!/usr/bin/env bash
# Throwaway Wine environment for one test run: a fresh prefix with the CJK
# font mapping, a private home, a private Xvfb display and the local test
# site on loopback (port in DIR/site.port, requests logged to DIR/site.log).
#   wine-env.sh setup DIR [--browser-double DLL] [--open-probe EXE] [--no-font-mapping]
#                         [--desktop-keeper EXE] [--audio] [--dpi N]
#                         [--second-screen] [--screen WxH] [--work-area X,Y,W,H]
#       create it (replacing an older one in DIR); with --browser-double the
#       prefix's web-browser control is replaced by the scripted test double;
#       with --open-probe EXE that program stands in for the default web
#       browser: every http, https (and mailto) address opened through the
#       shell is appended to DIR/opened.log instead of being shown; with
#       --no-font-mapping "宋体" stays unknown, as on a system without SimSun;
#       with --desktop-keeper EXE (tests/support/DesktopKeeper.exe) the
#       Wine desktop is started before setup ends and kept for the whole run;
#       with --audio a private PulseAudio server with a null sink gives Wine
#       a sound device (wine-run.sh points programs at DIR/pulse.sock);
#       --dpi N sets the display scale (LogPixels N: 120, 144, 192) before
#       any program of the environment reads it; --second-screen gives Wine
#       two monitors (the primary 1280x1024 and a second 1920x1080, both at
#       0,0); --screen WxH sizes the one screen (1920x1080 unless given);
#       --work-area X,Y,W,H leaves every program only that part of the
#       screen, as a taskbar would (the rest is reserved)
#   wine-env.sh teardown DIR  stop its processes and remove the prefix
set -euo pipefail

action=${1:?setup or teardown}
dir=${2:?environment directory}
shift 2
double=""
probe=""
fontmap=1
keeper=""
audio=0
dpi=""
second=0
screen=1920x1080
workarea=""
while [ $# -gt 0 ]; do
  case "$1" in
  --browser-double) double=${2:?DLL path}; shift 2 ;;
  --open-probe) probe=${2:?probe path}; shift 2 ;;
  --no-font-mapping) fontmap=0; shift ;;
  --audio) audio=1; shift ;;
  --desktop-keeper) keeper=$(realpath -m "${2:?keeper path}"); shift 2 ;;
  --dpi) dpi=${2:?DPI}; shift 2 ;;
  --second-screen) second=1; shift ;;
  --screen) screen=${2:?WxH}; shift 2 ;;
  --work-area)
    workarea=${2:?X,Y,W,H}
    [[ "$workarea" =~ ^[0-9]+,[0-9]+,[0-9]+,[0-9]+$ ]] || { echo "--work-area wants X,Y,W,H, got $workarea" >&2; exit 2; }
    shift 2 ;;
  *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
root=$(cd "$(dirname "$0")/.." && pwd)

# Wine maps Z: to /, so a Unix path needs no Wine process to translate it.
windows_path() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}
# Text escaped for a string value in a .reg file.
reg_string() {
  local p=$1
  p=${p//\\/\\\\}
  printf '%s' "${p//\"/\\\"}"
}

# True when PID is alive and its command line holds WORD: a pid file left by
# an earlier run may name a process that has since been replaced by another.
ours() {
  [ -r "/proc/$1/cmdline" ] && tr '\0' ' ' <"/proc/$1/cmdline" | grep -qF -- "$2"
}

# Polls (every 0.1 s, at most TRIES times) until the command succeeds.
wait_until() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

stop_env() {
  if [ -d "$dir/prefix" ]; then
    # Ended and waited for: a server still shutting down keeps the socket of
    # a prefix that a new one at the same path (same inode) would reach.
    WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$dir/prefix" wineserver -w 2>/dev/null || true
  fi
  local pidfile pid word
  for pidfile in "$dir/xvfb.pid" "$dir/site.pid" "$dir/pulse.pid"; do
    [ -f "$pidfile" ] || continue
    pid=$(cat "$pidfile")
    word=Xvfb
    [ "$pidfile" = "$dir/site.pid" ] && word=demo_site.py
    [ "$pidfile" = "$dir/pulse.pid" ] && word=pulseaudio
    if [ -n "$pid" ] && ours "$pid" "$word"; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do
        ours "$pid" "$word" || break
        sleep 0.1
      done
    fi
    rm -f "$pidfile"
  done
}

# The 64-bit loader, called directly: the generic `wine` launcher prefers the
# 32-bit loader when wine32 is installed, and some kernels cannot run it.
wine64_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Without address randomisation: Debian's Wine has no preloader to reserve
# the addresses Windows programs expect before the kernel places the loader's
# heap, and now and then that heap lies over the shared user data page
# (0x7ffe0000); the program then dies before its first line ("failed to map
# the shared user data: c0000018", exit code 1).
wine64() { setarch -R "$wine64_loader" "$@"; }

# A failing step says which one and shows the output it left.
failed() {
  local rc=$? line=$1 command=$2 log
  echo "wine-env.sh $action $dir: line $line: '$command' failed with exit code $rc" >&2
  for log in "$dir/wineboot.log" "$dir/regedit.log" "$dir/xvfb.log" "$dir/site.out" "$dir/keeper.log" "$dir/pulse.log"; do
    if [ -s "$log" ]; then
      echo "--- $log" >&2
      tail -n 40 "$log" >&2
    fi
  done
}
trap 'failed "$LINENO" "$BASH_COMMAND"' ERR
trap 'echo "wine-env.sh $action $dir: stopped by a signal" >&2; exit 143' TERM INT HUP

case "$action" in
setup)
  stop_env
  rm -rf "$dir/prefix" "$dir/home" "$dir/ready" "$dir/display" "$dir/site.port" "$dir/site.log" \
    "$dir/wineboot.log" "$dir/regedit.log" "$dir/xvfb.log" "$dir/site.out" \
    "$dir/keeper.log" "$dir/desktop.ready" "$dir/pulse.sock" "$dir/pulse.log" "$dir/pulse"
  mkdir -p "$dir/home" "$dir/artifacts"

  if [ "$audio" = 1 ]; then
    # Its own home and runtime folder: nothing of the machine's sound setup
    # is used or changed. The null sink plays into nothing.
    mkdir -p "$dir/pulse/xdg"
    HOME="$dir/pulse" XDG_RUNTIME_DIR="$dir/pulse/xdg" setsid pulseaudio -n --daemonize=no \
      --exit-idle-time=-1 --load=module-null-sink \
      --load="module-native-protocol-unix socket=$dir/pulse.sock" </dev/null >"$dir/pulse.log" 2>&1 &
    echo $! >"$dir/pulse.pid"
    wait_until 100 test -S "$dir/pulse.sock" || { echo "PulseAudio did not start" >&2; cat "$dir/pulse.log" >&2; exit 1; }
  fi

  setsid python3 "$root/tools/demo_site.py" --port-file "$dir/site.port" --log "$dir/site.log" \
    </dev/null >"$dir/site.out" 2>&1 &
  echo $! >"$dir/site.pid"

  # -displayfd picks a free display number and writes it when ready.
  # -noreset: by default the server resets when its last client leaves and
  # drops the connection of a program that arrives just then.
  screens=(-screen 0 "${screen}x24")
  [ "$second" = 1 ] && screens=(-screen 0 1280x1024x24 -screen 1 1920x1080x24 +xinerama)
  setsid Xvfb -displayfd 3 "${screens[@]}" -nolisten tcp -noreset \
    3>"$dir/display" </dev/null >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  wait_until 100 test -s "$dir/display" || { echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }

  export WINEPREFIX="$dir/prefix" HOME="$dir/home" WINEDEBUG=-all
  export DISPLAY=":$(tr -d '\n' <"$dir/display")"
  if [ -n "$workarea" ]; then
    # Wine takes the work area of every program from the root window's
    # _NET_WORKAREA, read when it starts; -noreset keeps the property.
    xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "${workarea//,/, }"
  fi
  # No Mono or Gecko installers: there is no network to fetch them.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  # One persistent wineserver for the whole run, started before anything
  # else so every program shares it and tests start quickly. Waited for:
  # the server puts itself in the background once its socket is ready, and a
  # program started while it is still starting would start a second one,
  # which then loses the race for the socket ("chdir to .../server-...").
  mkdir -p "$WINEPREFIX"
  setsid -w wineserver -p </dev/null >/dev/null 2>&1
  wine64 wineboot -i >"$dir/wineboot.log" 2>&1

  # One registry import for everything (each Wine program start costs).
  # "SimSun"/"宋体" are not installed; map both to the CJK font we have.
  # Xvfb has no window manager: unmanaged windows keep Wine from waiting
  # for one on every hide and destroy.
  lines=('Windows Registry Editor Version 5.00' ''
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    '"Managed"="N"')
  # Without XRandR Wine takes the monitors from Xinerama.
  [ "$second" = 1 ] && lines+=('"UseXRandR"="N"')
  lines+=(''
    # A crash without a filter of its own ends the program at once instead
    # of waiting in Wine's debugger.
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]'
    '"Debugger"=""' '')
  if [ -n "$dpi" ]; then
    lines+=('[HKEY_CURRENT_USER\Control Panel\Desktop]'
      "\"LogPixels\"=dword:$(printf '%08x' "$dpi")" '')
  fi
  if [ "$fontmap" = 1 ]; then
    lines+=('[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
      '"SimSun"="WenQuanYi Micro Hei"'
      '"宋体"="WenQuanYi Micro Hei"' '')
  fi
  if [ -n "$double" ]; then
    # 64-bit view of HKLM (the 64-bit regedit writes it): the only place
    # this 64-bit client looks for the control.
    lines+=('[HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{8856F961-340A-11D0-A96B-00C04FD705A2}\InprocServer32]'
      "@=\"$(reg_string "$(windows_path "$double")")\"" '')
  fi
  rm -f "$dir/opened.log"
  if [ -n "$probe" ]; then
    command="\"$(windows_path "$probe")\" \"$(windows_path "$dir/opened.log")\" \"%1\""
    for scheme in http https mailto; do
      lines+=("[HKEY_LOCAL_MACHINE\\Software\\Classes\\$scheme\\shell\\open\\command]"
        "@=\"$(reg_string "$command")\"" '')
    done
  fi
  reg="$dir/setup.reg"
  printf '%s\r\n' "${lines[@]}" | iconv -f UTF-8 -t UTF-16LE >"$reg.body"
  { printf '\xff\xfe'; cat "$reg.body"; } >"$reg"
  rm -f "$reg.body"
  wine64 regedit /S "$(windows_path "$reg")" >"$dir/regedit.log" 2>&1
  if [ -n "$dpi" ] || [ "$second" = 1 ]; then
    # The desktop process keeps the scale and monitors it started with, and
    # answers for every program: start everything again on the new values.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    setsid -w wineserver -p </dev/null >/dev/null 2>&1
  fi
  if [ -n "$keeper" ]; then
    # The desktop lives as long as one program uses it; without one, Wine
    # closes it between tests and the next program waits about ten seconds
    # for a new one. Started after the registry import: the desktop reads it.
    (cd "$dir/home" && exec setsid setarch -R "$wine64_loader" "$keeper" "$(windows_path "$dir/desktop.ready")" \
      </dev/null >"$dir/keeper.log" 2>&1) &
    wait_until 600 test -f "$dir/desktop.ready" || { echo "the desktop did not start" >&2; cat "$dir/keeper.log" >&2; exit 1; }
  fi
  wait_until 50 test -s "$dir/site.port" || { echo "test site did not start" >&2; cat "$dir/site.out" >&2; exit 1; }
  touch "$dir/ready"
  echo "wine environment ready: prefix $WINEPREFIX, display $DISPLAY, site port $(cat "$dir/site.port")${double:+, browser double $double}${probe:+, default browser $probe}"
  ;;
teardown)
  stop_env
  rm -rf "$dir/prefix" "$dir/home" "$dir/ready"
  ;;
*)
  echo "unknown action $action" >&2
  exit 2
  ;;
esac
