#!/usr/bin/env bash
# The reader maps the player module it carries, and still starts when it
# carries none. Checked from outside: the reader's window appears, and a probe
# reads the reader's memory for a module image mapped by hand.
# usage: reader_player_e2e.sh READER.exe PROBE.exe
set -uo pipefail
source "$VELL_SOURCE_DIR/scripts/common.sh"
reader="$1"; probe="$2"
work="$(mktemp -d)"
reader_pid=""
# SIGKILL: Wine turns SIGTERM into the end of one thread only, and the reader
# has threads besides its window's, so a terminated reader could stay on screen.
cleanup() {
  [ -n "$reader_pid" ] && kill -KILL "$reader_pid" 2>/dev/null && wait "$reader_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts a copy of the reader under a name no other test uses and waits for
# its main window; the player code is installed before the window exists.
start_reader() {
  local exe="$1"
  # The loader itself, not the wine function: a function in the background
  # runs in a subshell, and its id is not the reader's.
  "$VELL_WINE_LOADER" "$exe" >/dev/null 2>&1 &
  reader_pid=$!
  for _ in $(seq 1 120); do
    if xdotool search --onlyvisible --name "^Vell Reader" >/dev/null 2>&1; then return 0; fi
    kill -0 "$reader_pid" 2>/dev/null || return 1
    sleep 0.5
  done
  return 1
}

stop_reader() {
  kill -KILL "$reader_pid" 2>/dev/null
  wait "$reader_pid" 2>/dev/null
  reader_pid=""
}

check_case() {
  local name="$1" change="$2" expected="$3"
  local exe="$work/vellplayer_e2e_$name.exe"
  cp "$reader" "$exe"
  if [ -n "$change" ] && ! python3 "$(dirname "$0")/reader_resource.py" "$change" "$exe"; then
    fail "$name: could not prepare the reader copy"
    return
  fi
  if ! start_reader "$exe"; then
    fail "$name: the reader window did not appear"
    stop_reader
    return
  fi
  local found
  # The probe exits 1 when it finds no mapped module, 2 when it cannot look.
  # Status 2 right after the window shows can mean the process list has not
  # caught up yet: look again a few times before judging.
  local status tries=0
  while :; do
    found="$(wine "$probe" "$(basename "$exe")" 2>/dev/null | tr -d '\r')"
    status=$?  # pipefail: the probe's own status
    [ "$status" -ne 2 ] || [ $((tries += 1)) -ge 10 ] && break
    sleep 0.5
  done
  stop_reader
  if [ "$found" != "$expected" ] || [ "$status" -ne "$([ -n "$expected" ] && echo 0 || echo 1)" ]; then
    fail "$name: mapped player version '$found' (probe status $status), expected '$expected'"
    return
  fi
  echo "ok: $name"
}

check_case embedded "" 0x0A010000
check_case empty-resource empty ""
check_case no-resource remove ""
[ "$failures" -eq 0 ]
