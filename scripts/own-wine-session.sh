#!/usr/bin/env bash
# own-wine-session.sh ARCH NAME COMMAND...: runs COMMAND in a Wine session of its own: a
# private display and the prefix "<the tree's prefix>-NAME" (made on first use), so that
# it shares neither the pointer, the screen nor the names of kernel objects with the
# tests that run beside it, and needs none of their locks.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
arch=$1 name=$2
shift 2
source "$here/display.sh"
source "$here/wine-session.sh"
source "$here/wine-arch.sh"
trap 'stop_wine; stop_display' EXIT
start_display
start_wine "$(wine_default_prefix "$here/.." "$arch")-$name" "$arch"
"$@"
