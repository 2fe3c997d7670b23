#!/usr/bin/env bash
# Puts the program beside its help page and the sample scripts:
#   scripts/stage.sh BUILD_DIR OUT_DIR
# copies tora.exe, tora/torasoft.htm and samples/*.txt into OUT_DIR and
# writes OUT_DIR/setup.ini (GBK) so that a sample is preselected.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUT_DIR" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2/tora"
out=$(cd "$2" && pwd)
preselected="示例_定时按键.txt"

cp "$build/app/tora.exe" "$out/tora.exe"
cp "$here/tora/torasoft.htm" "$out/tora/torasoft.htm"
cp "$here"/samples/*.txt "$out/"

# Wine shows the Unix root as drive Z:.
win_dir="Z:$(printf '%s' "$out" | tr '/' '\\')"
printf '[设置]\r\n默认脚本=%s\\%s\r\n' "$win_dir" "$preselected" | iconv -f UTF-8 -t GBK > "$out/setup.ini"
echo "staged in $out"
