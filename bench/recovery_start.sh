#!/usr/bin/env bash
# What the store adds to the program's start on its window thread, measured in the real program
# under Xvfb: making the store (which opens the database and takes this run's lock on its own
# thread while the windows are built), and the recovery check, which waits for the rest of the
# opening, with the sheets put back, as the program's test mode (QUENBY_TEST_LOG) reports them;
# median and largest of N starts each, with no database yet, an empty store, and a run to bring
# back (three windows, ended by SIGKILL).
#   bench/recovery_start.sh [build directory, default build] [starts, default 20]
set -euo pipefail
build=${1:-build}
runs=${2:-20}
quenby="$build/quenby"
[ -x "$quenby" ] || { echo "recovery_start.sh: build $quenby first" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -1 "$work/display")"
export DISPLAY HOME="$work/home" XDG_DATA_HOME="$work/data" QUENBY_TEST_LOG="$work/log" LANG=C.UTF-8
export QT_QPA_PLATFORM=xcb
mkdir -p "$HOME"
touch "$QUENBY_TEST_LOG"

lines() { grep -c "\"$1\"" "$QUENBY_TEST_LOG" || true; }
wait_for() {  # wait_for KIND COUNT: the log has more than COUNT lines of KIND
  for _ in $(seq 200); do [ "$(lines "$1")" -gt "$2" ] && return; sleep 0.05; done
  echo "recovery_start.sh: no $1 line in the test log" >&2
  exit 1
}
# once [COMMAND…]: starts the program, waits for its start line, runs COMMAND, ends it with SIGKILL.
once() {
  local before
  before=$(lines start)
  "$quenby" >/dev/null 2>&1 &
  local pid=$!
  wait_for start "$before"
  "$@"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
}
# All three windows, the sawn-timber one shown, and a save written.
three_windows() {
  local saves
  saves=$(lines saved)
  xdotool search --sync --onlyvisible --name '^Quenby$' >/dev/null
  sleep 0.3
  xdotool mousemove 645 286 click 1 # Combo3
  sleep 0.3
  xdotool key Down Down Return # 锯材计算
  wait_for saved "$saves"
}
report() {
  python3 - "$QUENBY_TEST_LOG" "$1" "$runs" <<'PY'
import json, statistics, sys
path, what, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
starts = [json.loads(l) for l in open(path, encoding="utf-8") if '"start"' in l][-runs:]
kinds = sorted({s["start"] for s in starts})
for key in ("storeUs", "recoverUs"):
    ms = [s[key] / 1000 for s in starts]
    print(f"{what:<20} {key[:-2]:<8} median {statistics.median(ms):6.2f} ms, max {max(ms):6.2f} ms"
          f" ({len(ms)} starts, {'/'.join(kinds)})")
PY
}

once # the program's first start on this machine is not counted
for _ in $(seq "$runs"); do
  rm -rf "$XDG_DATA_HOME"
  once
done
report "no database yet"
for _ in $(seq "$runs"); do once; done
report "empty store"
once three_windows
for _ in $(seq "$runs"); do once; done
report "a run to bring back"
