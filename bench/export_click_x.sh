#!/usr/bin/env bash
# Click on 导出表格 to xdg-open started with the bill, as the user waits for it: the real program on
# a private X server, an office started ahead (a touch in Form1, then a pause before each click),
# the desktop's real xdg-mime; a stand-in xdg-open first on PATH notes when it starts and opens
# nothing. One export first answers the reminder; then N exports are timed. Prints each time, the
# median and the load average.
#   bench/export_click_x.sh <build dir> [N=8]
set -euo pipefail
build=$(cd "$1" && pwd)
exports=${2:-8}
export quenby=$build/quenby
here=$(dirname "$0")
# shellcheck source=SCRIPTDIR/../tests/program/x_session.sh
source "$here/../tests/program/x_session.sh"
# shellcheck source=SCRIPTDIR/../tests/program/test_log_session.sh
source "$here/../tests/program/test_log_session.sh"

mkdir -p "$HOME/Documents" "$work/bin"
cp "$build/resources/账单明细.xls" "$HOME/Documents/"
printf '#!/bin/sh\ndate +%%s%%N >> "%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
touch "$work/opened"

start
form1=$(window 727x646)
click "$form1" 242 98  # Text17: the office starts ahead
sleep 5

# export: clicks Command3 and waits for xdg-open; prints the milliseconds from the click.
export_once() {
  local before clicked
  before=$(wc -l <"$work/opened")
  clicked=$(date +%s%N)
  xdotool mousemove --window "$form1" 645 413 click 1
  for _ in $(seq 600); do
    [ "$(wc -l <"$work/opened")" -gt "$before" ] && break
    sleep 0.01
  done
  [ "$(wc -l <"$work/opened")" -gt "$before" ] || fail "no xdg-open within 6 s"
  echo $((($(tail -1 "$work/opened") - clicked) / 1000000))
}

# The first export shows the reminder: answered, not timed.
xdotool mousemove --window "$form1" 645 413 click 1
sleep 1
xdotool key Return
for _ in $(seq 100); do [ -s "$work/opened" ] && break; sleep 0.1; done
[ -s "$work/opened" ] || fail "the first export showed no bill"

times=()
for _ in $(seq "$exports"); do
  sleep 4  # the next office is started ahead
  times+=("$(export_once)")
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(echo "$sorted" | awk '{a[NR]=$1} END {print (NR % 2 ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2)}')
echo "click to xdg-open (ms): ${times[*]}"
echo "median: ${median} ms; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
