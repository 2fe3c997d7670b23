#!/usr/bin/env bash
# What a waiting condition costs while a script runs: the real program under
# wine64 on an Xvfb display of its own (1280 x 800), running one task gated
# by a condition that never holds (bench/win/condition_cpu_bench.cpp).
# Prints the CPU time of the program and of the X server, which serves every
# copy of the screen, as a share of one core (Wine's server apart), and the
# program's resident memory. Two programs, RUNS runs of SECONDS each,
# alternating.
#
#   scripts/condition-cpu.sh [RUNS [SECONDS]]
# a fixed-mode condition of 20 points within 60 x 40, checked ten times a
# second:
#   area    this tree's program, which copies only the area the condition reads
#   whole   the program of commit 4c59e32^1, which copied the whole screen at
#           every check
#
#   scripts/condition-cpu.sh pictures [RUNS [SECONDS [CASE...]]]
# a picture of 24-bit noise (64 x 64, 1280 x 800, 2000 x 2000; thinned by 50)
# searched for over the whole screen every 0.5 s, and the idle program (the
# same task without a condition); or the cases given (none, WxH, WxH/P for
# another thinning):
#   now      this tree's program
#   before   the program of commit f992d89, which built the search's lists of
#            points anew at every check
# Memory: resident at the end of the run (and its peak), and a second after
# the stop.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
mode=points
if [ "${1:-}" = pictures ]; then
  mode=pictures
  shift
fi
runs=${1:-3}
seconds=${2:-10}
shift $(($# < 2 ? $# : 2))
bash scripts/setup.sh >/dev/null
cmake --preset win64 >/dev/null
cmake --build build/win64 --target tora condition_cpu_bench -j 2 >/dev/null

# An earlier program, from its own commit's sources, built once.
build_old() {
  local commit=$1 dir=$2
  if [ ! -x "$dir/build/app/tora.exe" ]; then
    rm -rf "$dir"
    mkdir -p "$dir/src"
    git archive "$commit" | tar -x -C "$dir/src"
    cmake -S "$dir/src" -B "$dir/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$dir/src/cmake/mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTORA_LUA_DIR="$here/third_party/lua-5.2.4" >/dev/null
    cmake --build "$dir/build" --target tora -j 2 >/dev/null
  fi
}
now=$here/build/win64/app/tora.exe
if [ $mode = points ]; then
  build_old 4c59e32^1 "$here/build/whole-capture"
  ways=(whole area)
  cases=(points)
  declare -A exes=([whole]=$here/build/whole-capture/build/app/tora.exe [area]=$now)
else
  build_old f992d89 "$here/build/before-prepared"
  ways=(before now)
  cases=(none 64x64 1280x800 2000x2000)
  [ $# -gt 0 ] && cases=("$@")
  declare -A exes=([before]=$here/build/before-prepared/build/app/tora.exe [now]=$now)
fi

unset DISPLAY
source scripts/xvfb.sh
xpid=$TORA_XVFB_PID
export TORA_BUILD_DIR=$here/build/win64
prefix=$TORA_BUILD_DIR/wineprefix
hz=$(getconf CLK_TCK)

ticks() {  # user + system time of a Linux process in clock ticks, 0 when gone
  if [ -n "$1" ] && [ -r "/proc/$1/stat" ]; then
    sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'
  else
    echo 0
  fi
}
memory() {  # a field of a Linux process's status in MB, 0 when gone
  if [ -n "$1" ] && [ -r "/proc/$1/status" ]; then
    awk -v f="$2:" '$1 == f { printf "%.0f", $2 / 1024 }' "/proc/$1/status"
  else
    echo 0
  fi
}
# A Linux process of ours by name (a Wine program's is its executable's, as
# "tora.exe"): the one whose environment holds our display or Wine prefix.
ours() {
  local name=$1 want=$2 p
  for p in $(pgrep "$name" || true); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qx "$want"; then
      echo "$p"
      return
    fi
  done
}

results=$(mktemp)
log=$(mktemp)
trap 'rm -f "$results" "$log"; kill ${TORA_WM_PID:-} ${TORA_XVFB_PID:-} 2>/dev/null || true' EXIT
for run in $(seq "$runs"); do
  for kind in "${cases[@]}"; do
    for way in "${ways[@]}"; do
      exe=${exes[$way]}
      # Read line by line as the lines come (a filter such as tr would hold
      # them back in its buffer until the program ends).
      lines_before=$(wc -l <"$results")
      scripts/wine-run.sh build/win64/tests/condition_cpu_bench.exe "$exe" "$seconds" "$kind" 2>"$log" |
        while read -r word rest; do
          word=${word%$'\r'} rest=${rest%$'\r'}
          case $word in
            BEGIN)
              tpid=$(ours '^tora\.exe$' "DISPLAY=$DISPLAY")
              spid=$(ours '^wineserver' "WINEPREFIX=$prefix")
              t0=$(ticks "$tpid") x0=$(ticks "$xpid") s0=$(ticks "$spid")
              ;;
            END)
              t1=$(ticks "$tpid") x1=$(ticks "$xpid") s1=$(ticks "$spid")
              rss=$(memory "$tpid" VmRSS) peak=$(memory "$tpid" VmHWM)
              wall_ms=${rest#wall_ms=}
              ;;
            STOPPED)
              stopped=$(memory "$tpid" VmRSS)
              # ticks -> % of one core over the wall time
              awk -v way="$way" -v kind="$kind" -v t=$((t1 - t0)) -v x=$((x1 - x0)) -v s=$((s1 - s0)) -v hz="$hz" \
                -v ms="$wall_ms" -v rss="$rss" -v peak="$peak" -v stopped="$stopped" \
                'BEGIN { f = 100000 / hz / ms
                         printf "%s %s %.2f %.2f %.2f %.2f %d %d %d\n", kind, way, t * f, x * f, (t + x) * f, s * f,
                                rss, peak, stopped }' >>"$results"
              ;;
          esac
        done
      # No figures: show why (the program's status lines are GBK).
      if [ "$(wc -l <"$results")" = "$lines_before" ]; then
        echo "no measurement of $exe ($kind):" >&2
        iconv -f GBK -t UTF-8 "$log" >&2 || cat "$log" >&2
        exit 1
      fi
    done
  done
done

printf "%-10s %-7s %10s %11s %14s %13s %8s %8s %11s\n" case way "program %" "X server %" "program + X %" \
  "wineserver %" "RSS MB" "peak MB" "stopped MB"
while read -r kind way t x sum s rss peak stopped; do
  printf "%-10s %-7s %10s %11s %14s %13s %8s %8s %11s\n" "$kind" "$way" "$t" "$x" "$sum" "$s" "$rss" "$peak" \
    "$stopped"
done <"$results"
echo
echo "lowest - highest of $runs runs of $seconds s: program + X server (% of one core); resident MB; a second after the stop:"
for kind in "${cases[@]}"; do
  for way in "${ways[@]}"; do
    awk -v way="$way" -v kind="$kind" '$1 == kind && $2 == way {
        if (n == 0 || $5 < lo) lo = $5; if (n == 0 || $5 > hi) hi = $5
        if (n == 0 || $7 < rlo) rlo = $7; if (n == 0 || $7 > rhi) rhi = $7
        if (n == 0 || $9 < slo) slo = $9; if (n == 0 || $9 > shi) shi = $9
        n++ }
      END { if (n) printf "  %-10s %-7s %6.2f - %6.2f %%   %4d - %4d MB   %4d - %4d MB\n", kind, way, lo, hi, rlo, rhi, slo, shi }' \
      "$results"
  done
done
