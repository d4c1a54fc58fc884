#!/usr/bin/env bash
# The ledger on the real program and a private X server: two runs each leave typed text on Form1 at
# the exit button, which keeps it as a draft; the next run opens the ledger with Ctrl+L (exported
# bills only, so none), shows every record with Alt+Z and End, finds one of them by a search in
# small letters and reopens it with Enter into Form1; quenby --ledger then shows the ledger alone,
# with nothing recorded twice, and Escape ends the program. The test waits for the lines of
# the program's test mode (QUENBY_TEST_LOG), never for a fixed time. Nothing started here outlives
# the script.
#   ledger_test.sh <quenby executable>
set -euo pipefail
quenby=$1
# shellcheck source=SCRIPTDIR/x_session.sh
source "$(dirname "$0")/x_session.sh"
# shellcheck source=SCRIPTDIR/test_log_session.sh
source "$(dirname "$0")/test_log_session.sh"

# Latin names: xdotool types them reliably, where a run of different Chinese characters may come out
# with one of them twice.
# expect KIND CHECK…: waits for the last line of KIND ("saved", "ledger", "reopened") to pass every
# CHECK: "path=value", where the path goes into the line by keys and list positions.
expect() {
  for _ in $(seq 100); do
    python3 - "$QUENBY_TEST_LOG" "$@" <<'PY' && return
import json, sys

path, kind, checks = sys.argv[1], sys.argv[2], sys.argv[3:]
lines = [json.loads(l) for l in open(path, encoding="utf-8") if l.strip()]
lines = [l for l in lines if kind in l]
def at(entry, where):
    for step in where.split("/"):
        entry = entry[int(step)] if isinstance(entry, list) else entry.get(step)
    return entry
ok = lines and all(str(at(lines[-1], c.split("=", 1)[0])) == c.split("=", 1)[1] for c in checks)
sys.exit(0 if ok else 1)
PY
    sleep 0.1
  done
  fail "no $1 line with $*: $(grep "\"$1\":" "$QUENBY_TEST_LOG" | tail -1)"
}
# leave_draft TEXT COUNT: a run that types TEXT as Form1's buyer and COUNT as its first count, then
# ends by the exit button.
leave_draft() {
  start
  local form1
  form1=$(window 727x646)
  type_into "$form1" 246 98 "$1"  # Text17
  type_into "$form1" 95 174 "$2"  # Text1(1), row 1's count in group 0
  expect saved "sheets/logtally/Text17=$1" "sheets/logtally/Text1(1)=$2"
  click "$form1" 644 500  # Command6, the exit
  ends_at_once "the exit button"
}

leave_draft "Wang Farm" 12
leave_draft "Li Timber" 7

start
form1=$(window 727x646)
click "$form1" 246 98
xdotool key ctrl+l
window 1120x560 >/dev/null
expect ledger ledger=0 "totals=没有符合条件的账单"
xdotool key alt+z End  # the state choice: 全部
expect ledger ledger=2 "first/2=购货单位：Li Timber" "first/8=未导出"
echo "ok: Ctrl+L opens the ledger, newest first, with both drafts of the exit button under 全部"
xdotool key ctrl+f
xdotool type --delay 20 "wang"
expect ledger ledger=1 search=wang "first/2=购货单位：Wang Farm"
echo "ok: the search shows what it finds, whatever the case of its Latin letters"
xdotool key Return Return  # to the list, then reopen its row
expect reopened reopened=logtally shown=logtally "windows/logtally/Text17=Wang Farm" \
  "windows/logtally/Text1(1)=12" "windows/logtally/Combo3=原木计算"
echo "ok: Enter reopens the record into Form1"
click "$(window 727x646)" 644 500  # exit: the reopened sheet is in the ledger already
ends_at_once "the exit button"

start --ledger
window 1120x560 >/dev/null
expect ledger ledger=0 search=
xdotool key alt+z End
expect ledger ledger=2 search=
[ "$(visible_count)" -eq 1 ] || fail "quenby --ledger shows $(visible_count) windows"
echo "ok: quenby --ledger shows the ledger alone, nothing recorded twice"
xdotool key Escape
ends_at_once "Escape in the ledger alone"
