#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build for a while over the committed seeds:
#   fuzz/run.sh BUILD_DIR SECONDS
# New inputs go to a scratch folder per fuzzer, never into fuzz/corpus; a
# crash leaves its input in BUILD_DIR/fuzz/artifacts and fails the run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
seconds=${2:-30}
build=$(cd "$build" && pwd)
artifacts="$build/fuzz/artifacts"
mkdir -p "$artifacts"
# name and seed folder of each fuzzer (the script fuzzer makes its own inputs;
# the generator fuzzer's seeds are inputs it once failed on; the help-text
# fuzzer starts from the help page)
for entry in "bmp_fuzzer:$here/corpus" "dib_fuzzer:$here/corpus" "script_fuzzer:" \
    "generator_fuzzer:$here/corpus/generators" "help_text_fuzzer:$here/../tora"; do
  name=${entry%%:*}
  seeds=${entry#*:}
  fuzzer="$build/fuzz/$name"
  [ -x "$fuzzer" ] || { echo "fuzz/run.sh: $fuzzer not built" >&2; exit 1; }
  scratch="$build/fuzz/scratch-$name"
  # the files a fuzzer writes for its runs, outside its corpus and removed after it
  tmp="$build/fuzz/tmp-$name"
  mkdir -p "$scratch" "$tmp"
  echo "== $name, $seconds s"
  # shellcheck disable=SC2086
  (cd "$scratch" && TMPDIR="$tmp" "$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$scratch" $seeds 2>&1 | grep -E '^stat::|^Done|ERROR|SUMMARY' || true)
  rm -rf "$tmp"
  [ -z "$(ls -A "$artifacts" 2>/dev/null | grep -E '^(crash|leak|timeout|oom)-' || true)" ] || { echo "fuzz/run.sh: $name found a fault, see $artifacts" >&2; exit 1; }
done
