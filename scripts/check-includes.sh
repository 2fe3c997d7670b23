#!/usr/bin/env bash
# The include rule of the house: each folder stands only on the folders
# below it. From the bottom:
#   platform/  the geometry types, the seam and its implementations
#   engine/ vision/  the portable core (each may use the other)
#   ui/        the floor of the windows
#   tools/     the screen tools
#   editor/    the editor's text logic, its window and its pages
#   app/       the main window and start-up
# No file includes a header of a folder above its own, and the portable
# code (engine/, vision/, the text logic of editor/ and tools/, the headers
# of platform/, platform/sim/, check/) never includes <windows.h>, res/ or
# a Windows-only folder. Prints each include that breaks the rule and fails;
# the exceptions below are the README's.
set -euo pipefail
cd "$(dirname "$0")/.."

exceptions=(
  # The check in front of the system's DIB renderer is portable picture
  # code, fuzzed natively beside the BMP reader.
  "platform/win32/win32_screen.cpp vision/dib_header.h"
)

# The level of a folder, in rank_of (none outside the house's folders).
rank() {
  case "$1" in
    platform/*) rank_of=0 ;;
    engine/* | vision/*) rank_of=1 ;;
    ui/*) rank_of=2 ;;
    tools/*) rank_of=3 ;;
    editor/*) rank_of=4 ;;
    app/*) rank_of=5 ;;
    *) rank_of="" ;;
  esac
}

portable() {
  case "$1" in
    engine/* | vision/* | platform/sim/* | check/*) return 0 ;;
    editor/*/* | platform/*/*) return 1 ;;
    editor/* | tools/tool_logic.* | tools/texts.h | platform/*.h) return 0 ;;
    *) return 1 ;;
  esac
}

windows_only() {
  case "$1" in
    "<windows.h>" | res/* | ui/* | app/* | platform/win32/* | editor/win32/*) return 0 ;;
    tools/tool_logic.h | tools/texts.h) return 1 ;;
    tools/*) return 0 ;;
    *) return 1 ;;
  esac
}

excepted() {
  local pair
  for pair in "${exceptions[@]}"; do [ "$pair" = "$1 $2" ] && return 0; done
  return 1
}

broken=0
pattern='^([^:]*):#include ([<"])([^>"]*)'
while IFS= read -r line; do
  [[ $line =~ $pattern ]] || continue
  file=${BASH_REMATCH[1]}
  header=${BASH_REMATCH[3]}
  [ "${BASH_REMATCH[2]}" = "<" ] && header="<$header>"
  excepted "$file" "$header" && continue
  rank "$file"
  from=$rank_of
  rank "$header"
  to=$rank_of
  if [ -n "$from" ] && [ -n "$to" ] && [ "$to" -gt "$from" ]; then
    echo "$file includes $header, a folder above its own"
    broken=1
  fi
  if portable "$file" && windows_only "$header"; then
    echo "$file is portable and includes $header"
    broken=1
  fi
done < <(grep -rE --include='*.h' --include='*.cpp' '^#include [<"]' platform engine vision ui tools editor app check)

[ "$broken" -eq 0 ] && echo "includes: every folder stands on the ones below it"
exit "$broken"
