# shellcheck shell=bash
# What the tests of the real program share, sourced after `set -euo pipefail`: a work folder, a
# private X server without a window manager, a private HOME, fail and ends_at_once. The program
# under test runs as $quenby_pid with its output in $work/quenby.log; at exit the script ends it and
# the X server and removes the work folder, so nothing started by a test outlives it.
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "$(basename "$0"): $tool is missing (scripts/install-deps)"; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=""
quenby_pid=""
cleanup() {
  if [ -n "$quenby_pid" ]; then kill "$quenby_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  [ -s "$work/quenby.log" ] && sed 's/^/  quenby: /' "$work/quenby.log"
  exit 1
}

Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(head -1 "$work/display")"
export DISPLAY
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

# ends_at_once WHAT: the program is gone within three seconds, with exit code 0.
ends_at_once() {
  for _ in $(seq 30); do
    if ! kill -0 "$quenby_pid" 2>/dev/null; then
      local code=0
      wait "$quenby_pid" || code=$?
      quenby_pid=""
      [ "$code" -eq 0 ] || fail "$1: exit code $code"
      echo "ok: $1 ends the program"
      return
    fi
    sleep 0.1
  done
  fail "$1: the program is still running"
}
