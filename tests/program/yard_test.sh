#!/usr/bin/env bash
# The yard's shared ledger on the real program: two Quenby processes with two homes, two offices of
# one private PostgreSQL server (started and ended by yard_test_server). The second shows its ledger
# alone; the first exports a bill of Form1; the record shows in the second's open ledger, with the
# first's office, and the status line says it is in sync. Each home names its server in its
# settings and keeps its password in ~/.pgpass, as the README tells each PC. Nothing started here
# outlives the script.
#   yard_test.sh <quenby executable> <yard_test_server executable>
set -euo pipefail
quenby=$1
yard_server=$2
# shellcheck source=SCRIPTDIR/x_session.sh
source "$(dirname "$0")/x_session.sh"
# shellcheck source=SCRIPTDIR/test_log_session.sh
source "$(dirname "$0")/test_log_session.sh"

template="$(dirname "$quenby")/resources/账单明细.xls"
[ -f "$template" ] || { echo "yard_test: no bill template beside $quenby"; exit 77; }

coproc SERVER { "$yard_server" office_a office_b; }
# shellcheck disable=SC2153
server_pid=$SERVER_PID
server_in=${SERVER[1]}
other_pid=""
end_all() {
  if [ -n "$other_pid" ]; then kill "$other_pid" 2>/dev/null || true; fi
  exec {server_in}>&-  # the server's input closes: it stops and its folder goes
  wait "$server_pid" 2>/dev/null || true
  cleanup
}
trap end_all EXIT
read -r connection <&"${SERVER[0]}"
case "$connection" in
  unavailable:*) echo "yard_test: $connection"; exit 77 ;;
  host=*) ;;
  *) fail "no server: $connection" ;;
esac

# home HOME OFFICE: the settings and ~/.pgpass of a PC of OFFICE.
home() {
  mkdir -p "$1/.config/Quenby" "$1/Documents"
  printf '[yard]\nserver=%s user=%s\noffice=%s\n' "$connection" "$2" "$2" >"$1/.config/Quenby/Quenby.conf"
  (umask 077 && printf '*:*:quenby:%s:%s\n' "$2" "$2" >"$1/.pgpass")
}
home "$HOME" office_a
home "$work/b" office_b
cp "$template" "$HOME/Documents/"
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$@" >> "%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

# The second office: its ledger alone, in a home and a test log of its own.
HOME="$work/b" XDG_DATA_HOME="$work/b/data" QUENBY_TEST_LOG="$work/b/test.log" \
  "$quenby" --ledger >"$work/b.log" 2>&1 &
other_pid=$!
# log_expect LOG KIND TEST: waits until the last line of KIND in the test log LOG passes TEST, a
# Python expression over that line `l`.
log_expect() {
  for _ in $(seq 150); do
    python3 - "$@" <<'PY' && return
import json, os, sys
log, kind, test = sys.argv[1:]
lines = [json.loads(l) for l in open(log, encoding="utf-8") if l.strip()] if os.path.exists(log) else []
lines = [l for l in lines if kind in l]
sys.exit(0 if lines and eval(test, {}, {"l": lines[-1]}) else 1)
PY
    sleep 0.1
  done
  fail "no $2 line in $1 where $3: $(grep "\"$2\"" "$1" | tail -1)"
}
other_expect() { log_expect "$work/b/test.log" ledger "$1"; }
other_expect 'l["ledger"] == 0'
echo "ok: the second office shows its empty ledger"

start
form1=$(window 727x646)
type_into "$form1" 246 98 "Yard Test"  # Text17
log_expect "$QUENBY_TEST_LOG" saved 'l["sheets"]["logtally"]["Text17"] == "Yard Test"'
click "$form1" 645 413  # Command3, 导出表格
for _ in $(seq 100); do  # the reminder, a second window named Quenby
  [ "$(xdotool search --onlyvisible --name '^Quenby$' | wc -l)" -ge 2 ] && break
  sleep 0.1
done
xdotool key Return
for _ in $(seq 600); do [ -s "$work/opened" ] && break; sleep 0.1; done
[ -s "$work/opened" ] || fail "the export showed no bill"
echo "ok: the first office exported its bill"

other_expect 'l["ledger"] == 1 and l["first"][2] == "购货单位：Yard Test" and l["first"][9] == "office_a"'
echo "ok: the export shows in the second office's open ledger, with the first office's name"
other_expect 'l["sync"].startswith("已同步 ")'
echo "ok: the second office's status line says it is in sync"

click "$form1" 644 500  # Command6, the exit
ends_at_once "the exit button"
kill "$other_pid"
wait "$other_pid" || true
other_pid=""
