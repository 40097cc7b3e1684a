#!/usr/bin/env bash
# CTest's emulator for the Windows test programs: runs one under Wine in the
# run's throwaway environment (never the user's own ~/.wine).
#   wine-run.sh ENVDIR program.exe [args...]
set -euo pipefail

dir=${1:?environment directory}
shift
# Tests that need another environment (the browser double's) name it here.
dir=${LUMARION_WINE_ENV_DIR:-$dir}
if [ ! -f "$dir/ready" ]; then
  echo "wine environment $dir is not set up (run scripts/wine-env.sh setup $dir)" >&2
  exit 1
fi
export WINEPREFIX="$dir/prefix" HOME="$dir/home"
export DISPLAY=":$(tr -d '\n' <"$dir/display")"
export WINEDEBUG="${LUMARION_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${LUMARION_WINEDLLOVERRIDES:-mscoree=}"
export LUMARION_TEST_ENV="$dir"
# Test programs are 64-bit; the generic launcher would try the 32-bit loader.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Wine daemons a program starts (the desktop, rpcss, ...) inherit its output
# descriptors and outlive it; CTest would wait for them to close. Give them
# a file instead and pass the output on afterwards.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
set +e
"$wine64" "$@" </dev/null >"$out" 2>&1
rc=$?
set -e
cat "$out"
# A program that ends badly before it could say anything still says how.
if [ "$rc" -ne 0 ] && [ ! -s "$out" ]; then
  echo "wine-run.sh: $1 ended with exit code $rc and printed nothing" >&2
fi
exit $rc
