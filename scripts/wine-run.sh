#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests expect: a private prefix,
# the Chinese code page, no debug chatter. WINEPREFIX and DISPLAY may be preset.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The Chinese code page (936) comes from the locale Wine sees; no glibc locale needed.
exec env LC_ALL=zh_CN.UTF-8 wine "$@"
