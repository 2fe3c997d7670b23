#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build for a while over the committed seeds:
#   fuzz/run.sh BUILD_DIR SECONDS
# New inputs go to a scratch folder, never into fuzz/corpus; a crash leaves
# its input in BUILD_DIR/fuzz/artifacts and fails the run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
seconds=${2:-30}
build=$(cd "$build" && pwd)
fuzzer="$build/fuzz/bmp_fuzzer"
[ -x "$fuzzer" ] || { echo "fuzz/run.sh: $fuzzer not built" >&2; exit 1; }

scratch="$build/fuzz/scratch"
artifacts="$build/fuzz/artifacts"
mkdir -p "$scratch" "$artifacts"
"$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" "$scratch" "$here/corpus"
