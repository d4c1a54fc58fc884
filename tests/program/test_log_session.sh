# shellcheck shell=bash
# What the tests of the real program in test mode share, sourced after x_session.sh: the store in
# the work folder, the test log (QUENBY_TEST_LOG, see src/keeping/test_log.h), starting the program and
# waiting for its start line, finding its windows by size, and the mouse and keys of a user. It
# uses $work from x_session.sh and the test's $quenby.
# shellcheck disable=SC2154
export XDG_DATA_HOME="$work/data" QUENBY_TEST_LOG="$work/test.log"
export LANG=C.UTF-8 LC_ALL=C.UTF-8  # so that xdotool types Chinese
touch "$QUENBY_TEST_LOG"

# log_lines KIND: how many lines of that kind ("start", "saved", "ledger", …) the test log holds.
log_lines() { grep -c "\"$1\":" "$QUENBY_TEST_LOG" || true; }
# start [ARGS…]: runs the program with ARGS and waits for its start line.
# shellcheck disable=SC2120
start() {
  local before
  before=$(log_lines start)
  "$quenby" "$@" >"$work/quenby.log" 2>&1 &
  quenby_pid=$!
  for _ in $(seq 300); do
    [ "$(log_lines start)" -gt "$before" ] && return
    kill -0 "$quenby_pid" 2>/dev/null || fail "the program ended at start"
    sleep 0.1
  done
  fail "no start line in the test log"
}
# window WxH: the program's visible window of that size (Form1 727x646, Form2 500x643, Form3
# 628x482, the ledger 1120x560; a message box is none of these).
window() {
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --pid "$quenby_pid" 2>/dev/null); do
      [ "$(xdotool getwindowgeometry "$w" | awk '/Geometry/ {print $2}')" = "$1" ] && { echo "$w"; return; }
    done
    sleep 0.1
  done
  fail "no visible window of $1"
}
visible_count() { xdotool search --onlyvisible --pid "$quenby_pid" 2>/dev/null | wc -l; }
# click WINDOW X Y: the left button at X,Y inside the window.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.2
}
# type_into WINDOW X Y TEXT: clicks the field at X,Y, replaces its text by TEXT.
type_into() {
  click "$1" "$2" "$3"
  xdotool key ctrl+a
  xdotool type --delay 20 "$4"
}
