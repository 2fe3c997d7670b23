#!/usr/bin/env bash
# Sets everything up, builds the 64-bit program and starts it under wine64,
# in out/ beside the help page and the sample scripts, with a sample script
# preselected. Uses your display when there is one, else Xvfb.
#
#   scripts/run.sh [PROGRAM...]
#
# Each PROGRAM (e.g. notepad, wordpad, winemine, or a path to an .exe) is
# started first under the same Wine prefix, display and code page, as a
# target for scripts. When the program ends (its window closed, 退出 in the
# tray menu, or Ctrl+C here), so do those programs, and the Xvfb and window
# manager this script started.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build build/win64 -j "$(nproc)" --target tora
bash scripts/stage.sh build/win64 out

# Job control gives each program started here a process group of its own,
# which Wine's own re-launch of a program named without a path (notepad ->
# start.exe -> notepad.exe) stays in. So the end takes exactly those groups
# down, never other Wine programs of the same prefix (a test run, say), nor
# Wine's services, which end by themselves once no program is left.
set -m
started=()
finish() {
  local group
  set +m  # no "Terminated" notice for each job
  for group in "${started[@]}"; do kill -TERM -- "-$group" 2>/dev/null || true; done
  sleep 0.5
  if [ -n "${TORA_WM_PID:-}" ]; then kill "$TORA_WM_PID" 2>/dev/null || true; fi
  if [ -n "${TORA_XVFB_PID:-}" ]; then kill "$TORA_XVFB_PID" 2>/dev/null || true; fi
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

source scripts/xvfb.sh
echo "Display $DISPLAY; screenshot: import -window root shot.png"
for program in "$@"; do
  TORA_BUILD_DIR="$here/build/win64" scripts/wine-run.sh "$program" </dev/null &
  started+=($!)
done
# The program runs as a job too and this script waits for it. None of them
# reads the terminal (Wine would take it over as a console and swallow
# Ctrl+C), so Ctrl+C reaches this script, which then ends everything: the
# program at once, without the saves its close does.
TORA_BUILD_DIR="$here/build/win64" scripts/wine-run.sh out/tora.exe </dev/null &
program=$!
started=("$program" ${started[@]+"${started[@]}"})
status=0
wait "$program" || status=$?
exit $status
