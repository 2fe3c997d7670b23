#!/usr/bin/env bash
# The magnifier's CPU use, both ways in one run (bench/win/zoom_cpu_bench.cpp),
# under wine64 on an X display (Xvfb when there is none). Prints, for each
# way, the program's own CPU and the X server's, which serves every copy of
# the screen, as a share of one core at ten ticks a second.
#   scripts/zoom-bench.sh [BUILD_DIR] [SECONDS_PER_WAY]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/win64}" && pwd)
seconds=${2:-10}
cmake --build "$build" --target zoom_cpu_bench >/dev/null
source "$here/scripts/xvfb.sh"
xpid=${TORA_XVFB_PID:-$(pgrep -xf "Xvfb ${DISPLAY}.*" | head -1 || true)}
ticks_per_s=$(getconf CLK_TCK)
xcpu() {  # the X server's user + system time in clock ticks
  if [ -n "$xpid" ] && [ -r "/proc/$xpid/stat" ]; then
    awk '{print $14 + $15}' "/proc/$xpid/stat"
  else
    echo 0
  fi
}
printf "%-14s %6s %10s %12s %12s\n" way ticks "ms/tick" "program %" "X server %"
# Lines are read as they come (a filter such as tr would hold them back
# until the program ends, and the X server's time would be read too late);
# the program's CR is cut here.
TORA_BUILD_DIR=$build "$here/scripts/wine-run.sh" "$build/tests/zoom_cpu_bench.exe" "$seconds" |
  while IFS= read -r line; do
    read -r word way rest <<<"${line%$'\r'}"
    case $word in
      BEGIN) x0=$(xcpu) ;;
      END)
        x1=$(xcpu)
        eval "$(echo "$rest" | tr ' ' '\n' | grep '=')"
        xpct=$(awk -v d=$((x1 - x0)) -v hz="$ticks_per_s" -v w="$wall_ms" 'BEGIN{printf "%.2f", 100 * d / hz * 1000 / w}')
        printf "%-14s %6s %10s %12s %12s\n" "$way" "$ticks" "$cpu_ms_per_tick" "$cpu_percent" "$xpct"
        ;;
    esac
  done
if [ -n "${TORA_XVFB_PID:-}" ]; then kill "${TORA_WM_PID:-}" "$TORA_XVFB_PID" 2>/dev/null || true; fi
