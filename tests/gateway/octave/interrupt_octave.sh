#!/usr/bin/env bash
# Ctrl-C during a long command in octave-cli:
#   interrupt_octave.sh OCTAVE_CLI SCRIPT MODULE_DIR CLASS_DIR MIPLIB_DIR
# Starts the script, waits for its "ready for Ctrl-C" line, sends SIGINT,
# waits for "first interrupt handled", sends a second SIGINT and expects
# "second interrupt reached Octave".  Each wait is for a line of the log,
# never a fixed delay; it gives up after a generous time limit.
set -u
octave=$1
shift
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$octave" --no-gui --norc --no-history --no-window-system "$@" >"$log" 2>&1 &
pid=$!

# Waits until the log has the line $1 (at most $2 seconds); fails when
# Octave ends first or the time runs out.
await() {
  local deadline=$((SECONDS + $2))
  until grep -qx -- "$1" "$log"; do
    if ! kill -0 "$pid" 2>/dev/null || ((SECONDS > deadline)); then
      echo "FAILED: no line '$1'"
      cat "$log"
      kill -KILL "$pid" 2>/dev/null
      exit 1
    fi
    sleep 0.05
  done
}

await "ready for Ctrl-C" 300
kill -INT "$pid"
await "first interrupt handled" 120
kill -INT "$pid"
await "second interrupt reached Octave" 60
wait "$pid"
status=$?
cat "$log"
if grep -q "FAILED" "$log"; then exit 1; fi
echo "octave ended with status $status after the second interrupt"
exit 0
