#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs every test:
#   native core under AddressSanitizer/UndefinedBehaviorSanitizer,
#   the Windows layer and the real program under wine64 on Xvfb,
#   the 32-bit build (built and linked; it cannot run here),
#   the release zips (scripts/release.sh, checked by scripts/check-release.sh),
#   a short fuzzing run on the committed seed corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
jobs=$(nproc)

echo "== native"
cmake --preset native >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== win64"
cmake --preset win64 >/dev/null
cmake --build build/win64 -j "$jobs"
# shellcheck source=scripts/xvfb.sh
source scripts/xvfb.sh
# Each kill on its own: under set -e a failed one (the window manager gone
# already) would end the trap before the X server's.
trap 'kill ${TORA_WM_PID:-} 2>/dev/null || true; kill ${TORA_XVFB_PID:-} 2>/dev/null || true' EXIT
ctest --test-dir build/win64 --output-on-failure

echo "== win32 (build only)"
cmake --preset win32 >/dev/null
cmake --build build/win32 -j "$jobs"

echo "== release (the two zips for Windows users, checked)"
bash scripts/release.sh

if [ -d fuzz ] && [ -f fuzz/CMakeLists.txt ]; then
  echo "== fuzz (short run on the seed corpus)"
  cmake --preset fuzz >/dev/null
  cmake --build build/fuzz -j "$jobs"
  bash fuzz/run.sh build/fuzz "${TORA_FUZZ_SECONDS:-30}"
fi
echo "== all tests passed"
