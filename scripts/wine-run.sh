#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests expect: a private prefix, the
# Chinese code page, no debug chatter. ZRK_ARCH picks the word size: win32 (default) runs
# the 32-bit loader on build/wineprefix, win64 the 64-bit one on build/wineprefix64.
# WINEPREFIX and DISPLAY may be preset.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-arch.sh"
arch=${ZRK_ARCH:-win32}
export WINEARCH=$arch
export WINEPREFIX=${WINEPREFIX:-$(wine_default_prefix "$here/.." "$arch")}
export WINELOADER=$(wine_loader "$arch")
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The Chinese code page (936) comes from the locale Wine sees; no glibc locale needed.
# bash's own exec says "Exec format error" for a loader this machine cannot execute.
LC_ALL=zh_CN.UTF-8 exec "$WINELOADER" "$@"
