# Sourced. wait_until TENTHS COMMAND [ARGUMENTS...] runs the command every tenth of a
# second until it succeeds, at most TENTHS times; it fails when the command never did.
wait_until() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# has_exited PID: the process is gone.
has_exited() { ! kill -0 "$1" 2>/dev/null; }
