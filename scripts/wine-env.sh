#!/usr/bin/env bash
# Throwaway Wine environment for one test run: a fresh prefix with the CJK
# font mapping, a private home and a private Xvfb display.
#   wine-env.sh setup DIR     create it (replacing an older one in DIR)
#   wine-env.sh teardown DIR  stop its processes and remove the prefix
set -euo pipefail

action=${1:?setup or teardown}
dir=${2:?environment directory}

stop_env() {
  if [ -d "$dir/prefix" ]; then
    WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
  fi
}

# The 64-bit loader, called directly: the generic `wine` launcher prefers the
# 32-bit loader when wine32 is installed, and some kernels cannot run it.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)

case "$action" in
setup)
  stop_env
  rm -rf "$dir/prefix" "$dir/home" "$dir/ready" "$dir/display" "$dir/xvfb.pid"
  mkdir -p "$dir/home" "$dir/artifacts"

  # -displayfd picks a free display number and writes it when ready.
  setsid Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp \
    3>"$dir/display" </dev/null >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    sleep 0.1
  done
  [ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }

  export WINEPREFIX="$dir/prefix" HOME="$dir/home" WINEDEBUG=-all
  export DISPLAY=":$(tr -d '\n' <"$dir/display")"
  # No Mono or Gecko installers: there is no network to fetch them.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  # One persistent wineserver for the whole run, started before anything
  # else so every program shares it and tests start quickly.
  mkdir -p "$WINEPREFIX"
  setsid wineserver -p </dev/null >/dev/null 2>&1 &
  "$wine64" wineboot -i >"$dir/wineboot.log" 2>&1

  # "SimSun"/"宋体" are not installed; map both to the CJK font we have.
  # Xvfb has no window manager: unmanaged windows keep Wine from waiting
  # for one on every hide and destroy.
  reg="$dir/fonts.reg"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"SimSun"="WenQuanYi Micro Hei"' \
    '"宋体"="WenQuanYi Micro Hei"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
    '"Managed"="N"' '' | iconv -f UTF-8 -t UTF-16LE >"$reg.body"
  { printf '\xff\xfe'; cat "$reg.body"; } >"$reg"
  rm -f "$reg.body"
  "$wine64" regedit /S "$(WINEPREFIX="$WINEPREFIX" "$wine64" winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  touch "$dir/ready"
  echo "wine environment ready: prefix $WINEPREFIX, display $DISPLAY"
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
