#!/usr/bin/env bash
# Sets everything up, builds the 64-bit program and starts it under wine64,
# in out/ beside the help page and the sample scripts, with a sample script
# preselected. Uses your display when there is one, else Xvfb.
#
#   scripts/run.sh [PROGRAM...]
#
# Each PROGRAM (e.g. notepad, wordpad, winemine, or a path to an .exe) is
# started first under the same Wine prefix, display and code page, as a
# target for scripts.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build build/win64 -j "$(nproc)" --target tora
bash scripts/stage.sh build/win64 out
source scripts/xvfb.sh
echo "Display $DISPLAY; screenshot: import -window root shot.png"
for program in "$@"; do
  TORA_BUILD_DIR="$here/build/win64" scripts/wine-run.sh "$program" &
done
TORA_BUILD_DIR="$here/build/win64" exec scripts/wine-run.sh out/tora.exe
