#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (run as root): both
# mingw-w64 toolchains of the win32 thread model (the 32-bit product and its 64-bit twin;
# the toolchain files name their compilers), 64-bit Wine always, and
# 32-bit Wine where the i386 architecture can be added. Whether this machine can execute
# what is installed is found when the tests start Wine, not here: a Wine that cannot be
# installed or run fails nothing by itself. Quick when everything is already there.
set -euo pipefail

packages=(cmake make g++ clang lld llvm libclang-rt-14-dev googletest
          g++-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev
          binutils-mingw-w64-x86-64
          wine wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei locales procps)
wine32=wine32:i386

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# Wine needs the glibc zh_CN.UTF-8 locale for Chinese file and folder names.
ensure_chinese_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && return 0
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
}

# 32-bit Wine comes from the i386 architecture; where it cannot be added or installed,
# the 64-bit twin's suite runs alone.
want_wine32() {
  installed "$wine32" && return 1
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  $SUDO dpkg --add-architecture i386 2>/dev/null
}

# Asked before the package lists are read: an architecture added afterwards has none.
wine32_wanted=0
want_wine32 && wine32_wanted=1
if [ ${#missing[@]} -eq 0 ] && [ $wine32_wanted -eq 0 ]; then
  ensure_chinese_locale
  exit 0
fi

apt_install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$@" >/dev/null; }
$SUDO apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_install "${missing[@]}"
fi
if [ $wine32_wanted -eq 1 ]; then
  echo "setup: installing $wine32"
  apt_install "$wine32" || echo "setup: $wine32 could not be installed: only the 64-bit suite can run"
fi
ensure_chinese_locale
