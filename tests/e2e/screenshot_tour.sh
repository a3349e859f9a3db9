#!/usr/bin/env bash
# Takes pictures of tessara7's windows: runs the disabled screenshot tour of e2e_tests
# (tests/e2e/screenshot_tour.cpp) under Wine on an X server of its own and saves one PNG
# per step. Usage: tests/e2e/screenshot_tour.sh [folder]   (default build/screenshots)
# Uses TESSARA_WIN_DIR (default build/win) and TESSARA_WINEPREFIX like the other scripts.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$(mkdir -p "${1:-$root/build/screenshots}" && cd "${1:-$root/build/screenshots}" && pwd)"
bin="$root/${TESSARA_WIN_DIR:-build/win}/bin"
source "$root/scripts/wine-env"

wine_prefix_ensure
wine_session_lock
trap wine_env_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
wine_xvfb_start
wine_watchdog_start
wine_server_start

rm -f "$out/.request" "$out/.request.tmp"
TESSARA_BIN="$bin" TESSARA_SHOT_DIR="$out" wine "$bin/e2e_tests.exe" \
  --gtest_filter='ScreenshotTour.*' --gtest_also_run_disabled_tests 9>&- &
tour=$!
while kill -0 "$tour" 2>/dev/null; do
  if [ -f "$out/.request" ]; then
    name="$(cat "$out/.request")"
    import -window root -display "$DISPLAY" "$out/$name.png"
    echo "$out/$name.png"
    rm -f "$out/.request"
  fi
  sleep 0.1
done
rc=0
wait "$tour" || rc=$?
exit "$rc"
