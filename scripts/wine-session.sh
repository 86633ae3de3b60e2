# Sourced: a persistent wineserver on the build's private prefix, so the processes of a
# test run start warm, and so Wine's background services do not hold CTest's pipes.
start_wine() {
  export WINEPREFIX="$1"
  export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 </dev/null
  "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
}
