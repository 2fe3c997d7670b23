#!/usr/bin/env bash
# Installs, idempotently, everything the build and the tests need on a fresh
# Debian machine, and fetches the Lua 5.2.4 source into third_party/ (never
# committed). Safe to run again: every step checks before it acts.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64
  wine64 xvfb xdotool x11-utils openbox imagemagick fonts-wqy-microhei locales
  googletest libgtest-dev libbenchmark-dev dpkg-dev zip unzip file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# deb-src entry beside the existing debian.sources, so that `apt-get source` works.
src_list=/etc/apt/sources.list.d/tora-debsrc.sources
need_update=0
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  base=/etc/apt/sources.list.d/debian.sources
  if [ -f "$base" ]; then
    sed 's/^Types:.*/Types: deb-src/' "$base" | $SUDO tee "$src_list" >/dev/null
  else
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' | $SUDO tee "$src_list" >/dev/null
  fi
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  $SUDO apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Lua source, from Debian's source package.
lua_dir="$here/third_party/lua-5.2.4"
if [ ! -f "$lua_dir/src/lvm.c" ]; then
  tmp=$(mktemp -d)
  (cd "$tmp" && apt-get source --download-only -q lua5.2 >/dev/null)
  orig=$(ls "$tmp"/lua5.2_*.orig.tar.* | head -n1)
  mkdir -p "$here/third_party"
  rm -rf "$lua_dir"
  mkdir -p "$lua_dir"
  tar -xf "$orig" -C "$lua_dir" --strip-components=1
  rm -rf "$tmp"
  test -f "$lua_dir/src/lvm.c"
fi

# The zh_CN.UTF-8 locale makes Wine's ANSI code page 936.
locale_dir="$here/build/locale"
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' && [ ! -d "$locale_dir/zh_CN.UTF-8" ]; then
  if ! $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 2>/dev/null; then
    mkdir -p "$locale_dir"
    localedef -i zh_CN -f UTF-8 "$locale_dir/zh_CN.UTF-8" || true
  fi
fi
if ! locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then
  $SUDO localedef -i en_US -f UTF-8 en_US.UTF-8 2>/dev/null || true
fi
echo "setup: done"
