#!/usr/bin/env bash
# Runs a Windows program under wine64 with the project's settings: one Wine
# prefix per build folder, code page 936, no installer prompts, quiet log.
# Used as CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs every .exe through it.
set -u
exe=$1
shift
build_dir=${TORA_BUILD_DIR:-}
if [ -z "$build_dir" ]; then
  # the test executables live somewhere below the build folder
  d=$(cd "$(dirname "$exe")" && pwd)
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ "$d" != / ] && build_dir=$d || build_dir=$(pwd)
fi
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LANG=${TORA_WINE_LANG:-zh_CN.UTF-8}
export LC_ALL=$LANG
here=$(cd "$(dirname "$0")/.." && pwd)
if [ -d "$here/build/locale" ]; then export LOCPATH="$here/build/locale"; fi
# Two test programs started at once on a fresh prefix must not both
# initialise it: the second waits for the first.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
  fi
) 9>"$WINEPREFIX.lock"

exec /usr/lib/wine/wine64 "$exe" "$@"
