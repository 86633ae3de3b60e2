# Sourced: which Wine runs which word size, and what this machine can execute, found by
# starting the loaders rather than by guessing from the kernel or the packages.
# ZRK_WINE32_LOADER and ZRK_WINE64_LOADER name other loaders (a test plants a broken one).

wine_loader() {
  case "$1" in
    win64) echo "${ZRK_WINE64_LOADER:-/usr/lib/wine/wine64}" ;;
    *) echo "${ZRK_WINE32_LOADER:-/usr/lib/wine/wine}" ;;
  esac
}

wine_default_prefix() {
  case "$2" in
    win64) echo "$1/build/wineprefix64" ;;
    *) echo "$1/build/wineprefix" ;;
  esac
}

# Why Wine of this word size cannot run here, or nothing when its loader starts.
wine_unavailable_reason() {
  local arch=$1 loader output
  loader=$(wine_loader "$arch")
  [ -e "$loader" ] || { echo "$loader is not installed"; return; }
  # Through bash, which says "Exec format error" where execvp would hand the file to sh.
  output=$(LC_ALL=C timeout 60 bash -c 'exec "$0" --version' "$loader" 2>&1 </dev/null) && return
  case "$output" in
    *"Exec format error"*) echo "this machine executes 64-bit code only ($loader: Exec format error)" ;;
    *) echo "$loader does not start: $(printf '%s' "$output" | tail -n 1)" ;;
  esac
}

# The tree that runs here: the 32-bit one where its Wine starts, else the 64-bit twin.
# ZRK_ARCH chooses one; prints win32 or win64, or fails with both reasons.
runnable_arch() {
  if [ -n "${ZRK_ARCH:-}" ]; then echo "$ZRK_ARCH"; return; fi
  local why32 why64
  why32=$(wine_unavailable_reason win32)
  [ -n "$why32" ] || { echo win32; return; }
  why64=$(wine_unavailable_reason win64)
  [ -n "$why64" ] || { echo win64; return; }
  echo "no Wine runs here: 32-bit: $why32; 64-bit: $why64" >&2
  return 1
}

# The first line of the main job and of the performance command.
describe_arch() {
  case "$1" in
    win64) echo "the 64-bit twin (build/win64) under 64-bit Wine on $(uname -m)$(
      why=$(wine_unavailable_reason win32); [ -z "$why" ] || echo ": 32-bit code cannot run here: $why")" ;;
    *) echo "the 32-bit plug-in (build/win32) under 32-bit Wine on $(uname -m)" ;;
  esac
}

objdump_for() {
  case "$1" in
    win64) shift; x86_64-w64-mingw32-objdump "$@" ;;
    *) shift; i686-w64-mingw32-objdump "$@" ;;
  esac
}
