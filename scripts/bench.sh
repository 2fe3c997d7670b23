#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them once (median of three
# repetitions) and prints a table of CPU times with the ratios measured in
# that same run.
#
# Naming: BM_<Area>_<Case>_<Method>. For every case that has a "Fast"
# method, each other method of the case is shown as a multiple of it, and
# the fast time as a multiple of BM_Frame_SequentialRead (one pass over a
# full-HD frame). Extra arguments go to the benchmark executable, e.g.
#   scripts/bench.sh --benchmark_filter=Color
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh >/dev/null
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
    others = ["%s %.1fx" % (n[len(case) + 1:], t / fast) for n, t in times.items()
              if n.startswith(case + "_") and n != name]
    ratio = "%.2f" % (fast / seq) if seq else "-"
    print("%-28s %12.3f %12s  %s" % (case[3:], fast, ratio, ", ".join(others)))
PY
