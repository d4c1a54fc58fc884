#!/usr/bin/env bash
# The real program on a private X server without a window manager, where the program moves its
# window itself: a right-button drag on Form1's background moves the window and one from a field
# does not; Command6, the window system's close request and SIGTERM, SIGINT and SIGHUP each end the
# program at once with exit code 0. The start loads none of the office's libraries; a click in Form1
# starts an office ahead, which ends after the idle time when left idle; an export held by that
# office (stopped) shows its progress window and does not keep SIGTERM from ending the program in
# order, with no office left and the bill as it was. Nothing started here outlives the script.
#   x_server_test.sh <quenby executable>
set -euo pipefail
quenby=$1
# shellcheck source=SCRIPTDIR/x_session.sh
source "$(dirname "$0")/x_session.sh"

window=""
start() {
  "$quenby" >"$work/quenby.log" 2>&1 &
  quenby_pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quenby$' | head -1) || true
  [ -n "$window" ] || fail "no window named Quenby appeared"
  sleep 0.5  # let the window settle before the mouse comes
}
position() { xdotool getwindowgeometry "$window" | awk '/Position/ {print $2}'; }
# drag X Y DX DY: right button pressed at screen X,Y, moved by DX,DY, released.
drag() {
  xdotool mousemove "$1" "$2" mousedown 3
  sleep 0.1
  xdotool mousemove $(($1 + $3 / 2)) $(($2 + $4 / 2))
  sleep 0.1
  xdotool mousemove $(($1 + $3)) $(($2 + $4))
  sleep 0.1
  xdotool mouseup 3
  sleep 0.3
}

start
IFS=, read -r x y <<<"$(position)"
drag $((x + 300)) $((y + 40)) 60 40  # the title band
[ "$(position)" = "$((x + 60)),$((y + 40))" ] || fail "right-button drag on the background: window at $(position), not $((x + 60)),$((y + 40))"
echo "ok: a right-button drag on the background moves the window"
IFS=, read -r x y <<<"$(position)"
drag $((x + 246)) $((y + 98)) 60 40  # Text17
[ "$(position)" = "$x,$y" ] || fail "right-button drag from Text17 moved the window to $(position)"
echo "ok: a right-button drag from a field leaves the window in place"
xdotool key Escape  # the field's context menu
sleep 0.2
xdotool mousemove $((x + 644)) $((y + 500)) click 1  # Command6
ends_at_once "Command6"

start
# What a window manager sends when the user closes the window: WM_DELETE_WINDOW.
python3 - "$window" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

display = x.XOpenDisplay(None)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, event.xclient.window, 0, 0, ctypes.byref(event))
x.XFlush(display)
x.XCloseDisplay(display)
PY
ends_at_once "the window system's close request"

# Termination signals end the program in order (any export first, then the event loop): exit 0,
# not the signal's default death.
for signal in TERM INT HUP; do
  start
  kill -s "$signal" "$quenby_pid"
  ends_at_once "SIG$signal"
done

# An export held by a stopped office. Its profile, and so its command line, is under our TMPDIR.
template="$(dirname "$quenby")/resources/账单明细.xls"
[ -f "$template" ] || { echo "x_server_test: no bill template beside $quenby: the held export is not tried"; exit 0; }
mkdir -p "$HOME/Documents" "$work/tmp"
cp "$template" "$HOME/Documents/"
export TMPDIR="$work/tmp"
# office_started: the office started ahead, once it shows.
office_started() {
  office=""
  for _ in $(seq 100); do
    office=$(pgrep -o -f "oosplash.*$TMPDIR" || true)
    [ -n "$office" ] && return
    sleep 0.1
  done
  fail "a click in Form1 started no office ahead"
}

# An office started ahead that is left idle for the idle time is ended while the program runs.
export QUENBY_OFFICE_IDLE_SECONDS=1
start
unset QUENBY_OFFICE_IDLE_SECONDS
IFS=, read -r x y <<<"$(position)"
xdotool mousemove $((x + 246)) $((y + 98)) click 1  # Text17
office_started
for _ in $(seq 150); do
  pgrep -f "$TMPDIR" >/dev/null || break
  sleep 0.1
done
! pgrep -f "$TMPDIR" >/dev/null || fail "the office started ahead was not ended after its idle time"
kill -0 "$quenby_pid" || fail "the program ended with its idle office"
echo "ok: an office started ahead ends after its idle time"
kill -s TERM "$quenby_pid"
ends_at_once "SIGTERM after the idle office's end"

start
# The office's libraries come with the first office wanted, not with the window.
! grep -q 'libuno\|quenby_office_host' "/proc/$quenby_pid/maps" || fail "the start loaded the office's libraries"
IFS=, read -r x y <<<"$(position)"
xdotool mousemove $((x + 246)) $((y + 98)) click 1  # Text17
office_started
echo "ok: a click in Form1 starts the office ahead"
kill -STOP -- "-$office"
xdotool mousemove $((x + 645)) $((y + 413)) click 1  # Command3
for _ in $(seq 100); do  # the reminder, a second window named Quenby
  [ "$(xdotool search --onlyvisible --name '^Quenby$' | wc -l)" -ge 2 ] && break
  sleep 0.1
done
xdotool key Return
LC_ALL=C.UTF-8 timeout 10 xdotool search --sync --onlyvisible --name '^导出账单$' >/dev/null ||
  fail "no progress window over the held export"
echo "ok: the held export shows its progress window"
kill -s TERM "$quenby_pid"
ends_at_once "SIGTERM during the held export"
for _ in $(seq 50); do
  pgrep -f "$TMPDIR" >/dev/null || break
  sleep 0.1
done
! pgrep -f "$TMPDIR" >/dev/null || fail "an office outlived the program"
[ -z "$(ls -A "$TMPDIR")" ] || fail "left in TMPDIR: $(ls "$TMPDIR")"
cmp -s "$template" "$HOME/Documents/账单明细.xls" || fail "the bill changed"
echo "ok: nothing of the office is left and the bill is as it was"
