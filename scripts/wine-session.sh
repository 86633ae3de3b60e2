# Sourced: a persistent wineserver on the build's private prefix, so the processes of a
# test run start warm, and so Wine's background services do not hold CTest's pipes.
# start_wine PREFIX [win32|win64] exports ZRK_ARCH for wine-run.sh (default: ZRK_ARCH or
# win32). The first start of a new prefix sets it up (a minute or more on a slow machine):
# it happens here, once, before anything runs in parallel, and is bounded by
# ZRK_WINE_SETUP_SECONDS (default 300). Set-up is left to that first program: a second
# one started meanwhile (an explicit wineboot too) can leave the prefix with two service
# managers and no RPC service, and then every process that starts COM waits 10 s for it.
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"
start_wine() {
  # The rest of Wine's environment is wine-run.sh's, through which every program runs.
  export WINEPREFIX="$1" ZRK_ARCH=${2:-${ZRK_ARCH:-win32}}
  local limit=${ZRK_WINE_SETUP_SECONDS:-300} started=$SECONDS status=0
  local here log why
  here=$(dirname "${BASH_SOURCE[0]}")
  source "$here/wine-arch.sh"
  why=$(wine_unavailable_reason "$ZRK_ARCH")
  [ -z "$why" ] || { echo "$ZRK_ARCH Wine cannot run here: $why" >&2; return 1; }
  [ -e "$WINEPREFIX/.update-timestamp" ] || echo "== setting up a new $ZRK_ARCH Wine prefix in $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  log=$(mktemp)
  # The server that makes a new prefix gives it its word size from WINEARCH.
  WINEARCH=$ZRK_ARCH wineserver -p >/dev/null 2>&1 </dev/null || true  # one that already runs serves as well
  timeout "$limit" "$here/wine-run.sh" cmd /c exit >"$log" 2>&1 </dev/null || status=$?
  if [ $status -ne 0 ]; then
    if [ $status -eq 124 ]; then
      echo "$ZRK_ARCH Wine did not start within $limit s in $WINEPREFIX (ZRK_WINE_SETUP_SECONDS sets the limit)" >&2
    else
      echo "$ZRK_ARCH Wine did not start in $WINEPREFIX (exit $status): $(tail -n 3 "$log")" >&2
    fi
    rm -f "$log"
    stop_wine
    return 1
  fi
  rm -f "$log"
  [ $((SECONDS - started)) -lt 20 ] || echo "== $ZRK_ARCH Wine took $((SECONDS - started)) s to start in $WINEPREFIX" >&2
  # A crashing program prints its backtrace and ends: no crash dialog waits for a click
  # on the virtual display while the test that started it runs into its time-out.
  "$here/wine-run.sh" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null || true
  # No window manager runs on the virtual display: a window Wine leaves to one ("managed")
  # is never acknowledged, and each that is hidden or destroyed waits 2 s for that.
  "$here/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
    /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null || true
  start_desktop "$here"
}

# Wine starts the desktop's process (explorer.exe /desktop) from the first program that
# needs it, which hands it its standard handles, and ends it a second after the last
# program leaves the desktop. Started from a test, it held CTest's pipe, and so kept the
# test "running", until a pause between tests: seconds to minutes. Here it starts with no
# pipe of ours, and a console idling on the desktop keeps it for the whole session.
start_desktop() {
  local here=$1 keeper=$WINEPREFIX/.desktop-keeper
  [ -p "$keeper" ] || mkfifo "$keeper"
  # Opened for reading and writing, the pipe never ends: the console waits on it.
  "$here/wine-run.sh" cmd /k echo keeping the desktop <>"$keeper" >"$keeper.log" 2>&1 &
  wait_until 300 grep -qs "keeping the desktop" "$keeper.log" ||
    { echo "== the desktop's keeper did not start in $WINEPREFIX" >&2; return 0; }
  "$here/wine-run.sh" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
  wait_until 300 desktop_running || echo "== Wine's desktop did not start in $WINEPREFIX" >&2
}

# The process ids of this prefix's desktop process.
desktop_pids() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}

desktop_running() { [ -n "$(desktop_pids)" ]; }

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k >/dev/null 2>&1 || true
}
