#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests expect: a private prefix,
# the Chinese code page, no debug chatter. WINEPREFIX and DISPLAY may be preset.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=zh_CN.UTF-8
exec wine "$@"
