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
# Wine's own error lines are kept (fixme lines are noise); they are split
# from the program's output below and kept only when the program fails.
export WINEDEBUG="${LUMARION_WINEDEBUG:-fixme-all}"
export WINEDLLOVERRIDES="${LUMARION_WINEDLLOVERRIDES:-mscoree=}"
export LUMARION_TEST_ENV="$dir"
# An environment with its own sound server (wine-env.sh --audio).
if [ -S "$dir/pulse.sock" ]; then
  export PULSE_SERVER="unix:$dir/pulse.sock"
fi
# Test programs are 64-bit; the generic launcher would try the 32-bit loader.
wine64_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Without address randomisation: Debian's Wine has no preloader to reserve
# the addresses Windows programs expect before the kernel places the loader's
# heap, and now and then that heap lies over the shared user data page
# (0x7ffe0000); the program then dies before its first line ("failed to map
# the shared user data: c0000018", exit code 1).
wine64() { setarch -R "$wine64_loader" "$@"; }
# Wine daemons a program starts (the desktop, rpcss, ...) inherit its output
# descriptors and outlive it; CTest would wait for them to close. Give them
# files instead and pass the output on afterwards.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
wine64 "$@" </dev/null >"$out" 2>"$err"
rc=$?
set -e
cat "$out"
# Wine's diagnostics ("0024:err:module:..."), apart from what the program
# itself wrote to stderr.
diagnostic='^[0-9a-f]{4,}:(err|fixme|warn|trace):'
grep -avE "$diagnostic" "$err" >&2 || true
if [ "$rc" -ne 0 ]; then
  kept="$dir/artifacts/wine-diag/$(basename "$1" .exe)-$(date +%Y%m%d-%H%M%S)-$$.log"
  mkdir -p "$(dirname "$kept")"
  { echo "wine-run.sh: $* (exit code $rc)"; grep -aE "$diagnostic" "$err"; } >"$kept" || true
  # A program that ends badly before it could say anything still says how,
  # and where Wine's account of that start is.
  if [ ! -s "$out" ] && ! grep -qavE "$diagnostic" "$err"; then
    echo "wine-run.sh: $1 ended with exit code $rc and printed nothing; Wine's diagnostics: $kept" >&2
  else
    echo "wine-run.sh: Wine's diagnostics of this run: $kept" >&2
  fi
fi
exit $rc
