#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them once (median of three
# repetitions) and prints a table of CPU times with the ratios measured in
# that same run, then times the screen copies under wine64.
#
# Naming: BM_<Area>_<Case>_<Method>. For every case that has a "Fast"
# method, each other method of the case is shown as a multiple of it, and
# the fast time as a multiple of BM_Frame_SequentialRead (the fastest pass over a
# full-HD frame). Extra arguments go to the benchmark executable, e.g.
#   scripts/bench.sh --benchmark_filter=Color
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh >/dev/null
# The image benchmark's reference; the program itself never needs it.
if ! dpkg-query -W -f='${Status}' libopencv-dev 2>/dev/null | grep -q "install ok installed"; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends libopencv-dev >/dev/null
fi
cmake --preset native-release >/dev/null
cmake --build build/native-release --target tora_bench -j "$(nproc)" >/dev/null

out=$(mktemp)
trap 'rm -f "$out"' EXIT
build/native-release/bench/tora_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out" --benchmark_out_format=json "$@" >/dev/null

python3 - "$out" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
times = {}
for b in data["benchmarks"]:
    if b.get("aggregate_name", "median") != "median":
        continue
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b.get("time_unit", "ns")]
    times[b["run_name"]] = b["cpu_time"] * scale  # microseconds
seq = times.get("BM_Frame_SequentialRead")
print("%-40s %12s" % ("benchmark", "cpu us"))
for name, t in times.items():
    print("%-40s %12.3f" % (name, t))
print()
print("%-28s %12s %12s  %s" % ("case", "fast us", "fast/seq", "other methods (x fast)"))
for name, fast in times.items():
    if not name.endswith("_Fast"):
        continue
    case = name[: -len("_Fast")]
    # a method much faster than the fast one (a search beside what explains
    # its miss) keeps two significant digits instead of showing 0.0x
    others = ["%s %sx" % (n[len(case) + 1:], ("%.1f" if t >= fast else "%.2g") % (t / fast))
              for n, t in times.items() if n.startswith(case + "_") and n != name]
    ratio = "%.2f" % (fast / seq) if seq else "-"
    print("%-28s %12.3f %12s  %s" % (case[3:], fast, ratio, ", ".join(others)))
PY

# The screen copies a condition pays for, under wine64 on a display of our
# own, when the Windows tool chain is installed: one line per case, with the
# full-screen copy as a multiple of it.
if command -v x86_64-w64-mingw32-g++ >/dev/null && [ -x /usr/lib/wine/wine64 ]; then
  cmake --preset win64 >/dev/null
  cmake --build build/win64 --target capture_bench -j "$(nproc)" >/dev/null
  echo
  (
    unset DISPLAY
    source scripts/xvfb.sh
    trap 'kill ${TORA_WM_PID:-} ${TORA_XVFB_PID:-} 2>/dev/null || true' EXIT
    TORA_BUILD_DIR="$here/build/win64" scripts/wine-run.sh build/win64/tests/capture_bench.exe 200 "${TORA_XVFB_PID:-0}"
  )
fi
