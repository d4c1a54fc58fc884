#!/usr/bin/env bash
# The real program on a private X server without a window manager, where the program moves its
# window itself: a right-button drag on Form1's background moves the window and one from a field
# does not; Command6, the window system's close request and SIGTERM, SIGINT and SIGHUP each end the
# program at once with exit code 0. Nothing started here outlives the script.
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
