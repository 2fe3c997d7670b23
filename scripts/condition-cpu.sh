#!/usr/bin/env bash
# What a waiting condition costs while a script runs: the real program under
# wine64 on an Xvfb display of its own (1280 x 800), running one task gated
# by a fixed-mode condition of 20 points within 60 x 40, checked ten times a
# second (bench/win/condition_cpu_bench.cpp). Prints the CPU time of the
# program and of the X server, which serves every copy of the screen, as a
# share of one core; Wine's server is shown apart. Two programs, RUNS runs
# of SECONDS each, alternating:
#   area    this tree's program, which copies only the area the condition reads
#   whole   the program of commit 4c59e32^1, which copied the whole screen at
#           every check (built once into build/whole-capture)
#   scripts/condition-cpu.sh [RUNS [SECONDS]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
runs=${1:-3}
seconds=${2:-10}
bash scripts/setup.sh >/dev/null
cmake --preset win64 >/dev/null
cmake --build build/win64 --target tora condition_cpu_bench -j 2 >/dev/null

# The earlier program, from its own commit's sources.
old=$here/build/whole-capture
if [ ! -x "$old/build/app/tora.exe" ]; then
  rm -rf "$old"
  mkdir -p "$old/src"
  git archive 4c59e32^1 | tar -x -C "$old/src"
  cmake -S "$old/src" -B "$old/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$old/src/cmake/mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTORA_LUA_DIR="$here/third_party/lua-5.2.4" >/dev/null
  cmake --build "$old/build" --target tora -j 2 >/dev/null
fi

unset DISPLAY
source scripts/xvfb.sh
trap 'kill ${TORA_WM_PID:-} ${TORA_XVFB_PID:-} 2>/dev/null || true' EXIT
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
  for way in whole area; do
    exe=$here/build/win64/app/tora.exe
    [ "$way" = whole ] && exe=$old/build/app/tora.exe
    # Read line by line as the lines come (a filter such as tr would hold
    # them back in its buffer until the program ends).
    before=$(wc -l <"$results")
    scripts/wine-run.sh build/win64/tests/condition_cpu_bench.exe "$exe" "$seconds" 2>"$log" |
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
            wall_ms=${rest#wall_ms=}
            # ticks -> % of one core over the wall time
            awk -v way="$way" -v t=$((t1 - t0)) -v x=$((x1 - x0)) -v s=$((s1 - s0)) -v hz="$hz" -v ms="$wall_ms" \
              'BEGIN { f = 100000 / hz / ms
                       printf "%s %.2f %.2f %.2f %.2f\n", way, t * f, x * f, (t + x) * f, s * f }' >>"$results"
            ;;
        esac
      done
    # No figures: show why (the program's status lines are GBK).
    if [ "$(wc -l <"$results")" = "$before" ]; then
      echo "no measurement of $exe:" >&2
      iconv -f GBK -t UTF-8 "$log" >&2 || cat "$log" >&2
      exit 1
    fi
  done
done

printf "%-6s %14s %14s %16s %14s\n" way "program %" "X server %" "program + X %" "wineserver %"
while read -r way t x sum s; do printf "%-6s %14s %14s %16s %14s\n" "$way" "$t" "$x" "$sum" "$s"; done <"$results"
echo
echo "program + X server, % of one core, lowest - highest of $runs runs of $seconds s:"
for way in whole area; do
  awk -v way="$way" '$1 == way { if (n == 0 || $4 < lo) lo = $4; if (n == 0 || $4 > hi) hi = $4; n++ }
    END { if (n) printf "  %-6s %.2f - %.2f\n", way, lo, hi }' "$results"
done
