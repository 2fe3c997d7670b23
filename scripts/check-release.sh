#!/usr/bin/env bash
# Checks the zips that scripts/release.sh writes:
#   scripts/check-release.sh dist/tora-VERSION-win64.zip dist/tora-VERSION-win32.zip
# For each: exactly the expected names, the right kind of program (64-bit
# PE32+ or 32-bit PE32, GUI and console), the help page and the samples as
# they are in the tree, 使用说明.txt as GBK with CR LF, the licences, and
# VERSION in both programs' version resources and in the about box.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^#define TORA_VERSION_TEXT "\(.*\)"$/\1/p' "$here/res/version.h")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export LC_ALL=C.UTF-8
failures=0
fail() { echo "check-release: $zip: $*" >&2; failures=$((failures + 1)); }

for zip in "$@"; do
  base=$(basename "$zip" .zip)
  case $base in
    "tora-$version-win64") triplet=x86_64-w64-mingw32 kind='PE32+ executable' cpu=x86-64 ;;
    "tora-$version-win32") triplet=i686-w64-mingw32 kind='PE32 executable' cpu='Intel 80386' ;;
    *) fail "not named tora-$version-win64.zip or tora-$version-win32.zip"; continue ;;
  esac
  {
    printf '%s\n' tora.exe tora-check.exe tora/torasoft.htm 使用说明.txt \
      licenses/Lua.txt licenses/MinGW-w64.txt licenses/GCC-runtime.txt
    (cd "$here/samples" && ls -- *.txt)
  } | sed "s|^|$base/|" | LC_ALL=C sort > "$tmp/expected"
  unzip -Z1 "$zip" > "$tmp/listed"
  diff -u "$tmp/expected" "$tmp/listed" >&2 || fail "names differ from the expected ones (above)"
  LC_ALL=C sort -c "$tmp/listed" 2>/dev/null || fail "entries are not sorted"

  rm -rf "$tmp/x" && mkdir "$tmp/x"
  unzip -q "$zip" -d "$tmp/x"
  d=$tmp/x/$base
  case $(file -b "$d/tora.exe") in
    "$kind (GUI) $cpu"*) ;;
    *) fail "tora.exe is $(file -b "$d/tora.exe"), not $kind (GUI) $cpu" ;;
  esac
  case $(file -b "$d/tora-check.exe") in
    "$kind (console) $cpu"*) ;;
    *) fail "tora-check.exe is $(file -b "$d/tora-check.exe"), not $kind (console) $cpu" ;;
  esac
  for exe in tora.exe tora-check.exe; do
    "$triplet-windres" -i "$d/$exe" -O rc > "$tmp/res.rc" 2>/dev/null || { fail "$exe: resources unreadable"; continue; }
    grep -q "FILEVERSION ${version//./, }, 0" "$tmp/res.rc" || fail "$exe: FILEVERSION is not $version"
    grep -q "VALUE \"FileVersion\", \"$version\"" "$tmp/res.rc" || fail "$exe: FileVersion is not $version"
    grep -q "VALUE \"ProductVersion\", \"$version\"" "$tmp/res.rc" || fail "$exe: ProductVersion is not $version"
  done
  # The about box is dialog 100 of tora.exe.
  "$triplet-windres" -i "$d/tora.exe" -O rc 2>/dev/null | sed -n '/^100 DIALOGEX/,/^END/p' |
    grep -qF "$version\"" || fail "the about box does not show $version"

  cmp -s "$d/tora/torasoft.htm" "$here/tora/torasoft.htm" || fail "tora/torasoft.htm differs from the tree's"
  for f in "$here"/samples/*.txt; do
    cmp -s "$d/$(basename "$f")" "$f" || fail "$(basename "$f") differs from the tree's"
  done

  guide=$d/使用说明.txt
  if ! iconv -f GBK -t UTF-8 "$guide" > "$tmp/guide" 2>/dev/null; then
    fail "使用说明.txt is not GBK"
  else
    grep -q "Tora按键 $version 使用说明" "$tmp/guide" || fail "使用说明.txt does not begin with its title and $version"
    grep -q 'tora-check' "$tmp/guide" || fail "使用说明.txt says nothing of tora-check"
  fi
  [ "$(grep -c $'\r$' "$guide")" -eq "$(wc -l < "$guide")" ] || fail "使用说明.txt has lines that do not end in CR LF"
  grep -q 'Lua.org, PUC-Rio' "$d/licenses/Lua.txt" || fail "licenses/Lua.txt holds no Lua licence"
  grep -q 'winpthreads' "$d/licenses/MinGW-w64.txt" || fail "licenses/MinGW-w64.txt holds no winpthreads terms"
  grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$d/licenses/GCC-runtime.txt" || fail "licenses/GCC-runtime.txt holds no exception"
done

if [ $failures -ne 0 ]; then
  echo "check-release: $failures problem(s)" >&2
  exit 1
fi
echo "check-release: $* as expected"
