#!/usr/bin/env bash
# Builds the 64-bit and the 32-bit program with the checker and writes what a
# Windows user downloads, unpacks and runs:
#   dist/tora-VERSION-win64.zip and dist/tora-VERSION-win32.zip,
# each one folder tora-VERSION-ARCH/ holding tora.exe, tora-check.exe,
# tora/torasoft.htm, the sample scripts, 使用说明.txt (GBK, CR LF) and the
# licences of what is linked into the programs. VERSION is res/version.h's.
#
# The same sources give the same zips: every file carries the time of the
# last commit (or SOURCE_DATE_EPOCH), entries are sorted, no owner or extra
# fields are stored, and the linker writes no time into the programs.
# Ends with scripts/check-release.sh over both zips.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh >/dev/null

version=$(sed -n 's/^#define TORA_VERSION_TEXT "\(.*\)"$/\1/p' res/version.h)
if [ -z "$version" ]; then
  echo "release: no TORA_VERSION_TEXT in res/version.h" >&2
  exit 1
fi
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1577836800)}
lua_h=third_party/lua-5.2.4/src/lua.h

# Text for Windows' Notepad: CR LF line ends, UTF-8 with a byte-order mark
# (older Notepads read a file without one as the ANSI code page).
crlf_utf8() { printf '\xef\xbb\xbf'; sed 's/\r$//; s/$/\r/'; }

write_licences() {  # DIR MINGW_PACKAGE
  local dir=$1 mingw_doc=/usr/share/doc/$2/copyright
  mkdir -p "$dir"
  {
    echo "tora.exe and tora-check.exe contain Lua 5.2.4 (https://www.lua.org/),"
    echo "under the following licence (from its source, src/lua.h):"
    echo
    sed -n '/^\* Copyright (C) [0-9-]* Lua\.org/,/^\*\*\*\*/p' "$lua_h" | sed '$d; s/^\* \{0,1\}//'
  } | crlf_utf8 > "$dir/Lua.txt"
  {
    echo "tora.exe and tora-check.exe are linked statically with the MinGW-w64"
    echo "runtime: the C runtime start-up code, libmingwex (with gdtoa and the"
    echo "printf family) and winpthreads. Their copyright notices and licences,"
    echo "as Debian distributes them ($mingw_doc):"
    echo
    cat "$mingw_doc"
  } | crlf_utf8 > "$dir/MinGW-w64.txt"
  {
    echo "tora.exe and tora-check.exe are linked statically with GCC's runtime"
    echo "libraries libgcc and libstdc++. They are covered by the GNU General"
    echo "Public License version 3 with the GCC Runtime Library Exception 3.1,"
    echo "which allows programs compiled with GCC to be distributed under terms"
    echo "of their own (the licence: https://www.gnu.org/licenses/gpl-3.0.html)."
    echo "The exception (from /usr/share/doc/gcc-mingw-w64-base/copyright):"
    echo
    sed -n '/^GCC RUNTIME LIBRARY EXCEPTION$/,/requirements of the license of GCC\.$/p' \
      /usr/share/doc/gcc-mingw-w64-base/copyright
  } | crlf_utf8 > "$dir/GCC-runtime.txt"
}

mkdir -p dist
rm -f dist/tora-*-win64.zip dist/tora-*-win32.zip
for arch in win64 win32; do
  case $arch in
    win64) triplet=x86_64-w64-mingw32 mingw_package=mingw-w64-x86-64-dev ;;
    win32) triplet=i686-w64-mingw32 mingw_package=mingw-w64-i686-dev ;;
  esac
  echo "== release $version $arch"
  cmake --preset "$arch" >/dev/null
  cmake --build "build/$arch" -j "$(nproc)" --target tora tora-check

  name=tora-$version-$arch
  stage=build/release/$arch
  rm -rf "$stage"
  mkdir -p "$stage/$name/tora"
  # Symbols are of no use to a user and make the program twice as large.
  # strip writes a time into the PE header: the commit's, not the clock's.
  SOURCE_DATE_EPOCH=$epoch "$triplet-strip" -o "$stage/$name/tora.exe" "build/$arch/app/tora.exe"
  SOURCE_DATE_EPOCH=$epoch "$triplet-strip" -o "$stage/$name/tora-check.exe" "build/$arch/tora-check.exe"
  cp tora/torasoft.htm "$stage/$name/tora/"
  cp samples/*.txt "$stage/$name/"
  sed "s/@VERSION@/$version/" docs/使用说明.txt | sed 's/\r$//; s/$/\r/' |
    iconv -f UTF-8 -t GBK > "$stage/$name/使用说明.txt"
  write_licences "$stage/$name/licenses" "$mingw_package"

  find "$stage/$name" -type d -exec chmod 755 {} +
  find "$stage/$name" -type f -exec chmod 644 {} +
  find "$stage/$name" -exec touch -h -d "@$epoch" {} +
  # Sorted names, no directory entries (-D) and no extra fields (-X); the
  # stored times are local times, so the zone is fixed. Under a UTF-8
  # locale zip stores the Chinese names as UTF-8 with the format's flag
  # that says so; without the flag an unpacker would guess a code page.
  (cd "$stage" && find "$name" -type f | LC_ALL=C sort |
    TZ=UTC LC_ALL=C.UTF-8 zip -q -X -D -9 "$here/dist/$name.zip" -@)
  echo "dist/$name.zip: $(stat -c %s "dist/$name.zip") bytes"
done

bash scripts/check-release.sh "dist/tora-$version-win64.zip" "dist/tora-$version-win32.zip"
