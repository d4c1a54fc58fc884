#!/usr/bin/env bash
# The sheets survive the program's end, on the real program and a private X server: typed into all
# three windows, then SIGKILL, a start brings every field and the shown window back (and says so);
# the same after SIGTERM; after the exit button the next start is fresh. The test waits for the
# lines the program's test mode (QUENBY_TEST_LOG) writes after each save and at each start, never
# for a fixed time. Nothing started here outlives the script.
#   autosave_test.sh <quenby executable>
set -euo pipefail
quenby=$1
# shellcheck source=SCRIPTDIR/x_session.sh
source "$(dirname "$0")/x_session.sh"
# shellcheck source=SCRIPTDIR/test_log_session.sh
source "$(dirname "$0")/test_log_session.sh"

# log WHAT ARGS…: reads the test log (see the commands at the bottom of the program).
log() {
  python3 - "$QUENBY_TEST_LOG" "$@" <<'PY'
import json, sys

path, command, args = sys.argv[1], sys.argv[2], sys.argv[3:]
lines = [json.loads(l) for l in open(path, encoding="utf-8") if l.strip()]
starts = [l for l in lines if "start" in l]
saves = [l for l in lines if "saved" in l]

def texts(entry, key):  # the fields of one sheet: saved texts, or what a start's widgets show
    return (entry.get("sheets") or entry.get("windows") or {}).get(key, {})

def mismatches(entry, expected):  # expected: "key:Field=text"
    wrong = []
    for e in expected:
        where, text = e.split("=", 1)
        key, field = where.split(":", 1)
        got = texts(entry, key).get(field)
        if got != text:
            wrong.append(f"{where} is {got!r}, not {text!r}")
    return wrong

if command == "field":  # the last save holds this text (key:Field=text)
    sys.exit(0 if saves and not mismatches(saves[-1], args) else 1)
elif command == "saved":  # the last save holds the texts and the shown window
    shown, expected = args[0], args[1:]
    if not saves:
        print("no save yet")
        sys.exit(1)
    wrong = mismatches(saves[-1], expected)
    if saves[-1]["shown"] != shown: wrong.append(f"{saves[-1]['shown']} was shown, not {shown}")
    print("; ".join(wrong))
    sys.exit(1 if wrong else 0)
elif command == "start":  # the last start: fresh or recovered, the shown window, the windows, texts
    kind, shown, windows, expected = args[0], args[1], args[2].split(","), args[3:]
    last = starts[-1]
    wrong = mismatches(last, expected)
    if last["start"] != kind: wrong.append(f"the start was {last['start']}, not {kind}")
    if last["shown"] != shown: wrong.append(f"{last['shown']} was shown, not {shown}")
    if sorted(last["windows"]) != sorted(windows): wrong.append(f"the windows were {sorted(last['windows'])}")
    if kind == "recovered":  # every field of every sheet as the last save before the end had it
        for key, fields in saves[-1]["sheets"].items():
            for field, text in fields.items():
                if texts(last, key).get(field) != text:
                    wrong.append(f"{key}:{field} shows {texts(last, key).get(field)!r}, saved {text!r}")
    else:  # every field as at the first start, on a store with nothing in it
        if last["windows"] != starts[0]["windows"]: wrong.append("the fields differ from the first start's")
    if wrong: print("\n".join(wrong))
    sys.exit(1 if wrong else 0)
PY
}

# type_chinese WINDOW X Y KEY:FIELD TEXT: as type_into, then waits until a save holds the text. A
# character outside the keyboard's map is typed by remapping a spare key first, and on a loaded
# machine the program now and then receives the key before the new map: such a text is typed
# again (at most three times), so that the test checks the program and not xdotool's race.
type_chinese() {
  for _ in 1 2 3; do
    type_into "$1" "$2" "$3" "$5"
    for _ in $(seq 30); do
      log field "$4=$5" && return
      sleep 0.1
    done
  done
  fail "the text $5 never reached $4"
}
# choose N: picks the Nth entry below the current one in Form1's calculator selector (Combo3).
choose() {
  click "$(window 727x646)" 645 286
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
}
# wait_saved SHOWN KEY:FIELD=TEXT…: waits for a save that holds these texts, SHOWN shown.
wait_saved() {
  local why=""
  for _ in $(seq 100); do
    why=$(log saved "$@") && return
    sleep 0.1
  done
  fail "no save holds $* (the last one: $why)"
}
# recovery_told WINDOW: the information box is up over the shown window; Return closes it.
recovery_told() {
  for _ in $(seq 50); do [ "$(visible_count)" -ge 2 ] && break; sleep 0.1; done
  [ "$(visible_count)" -ge 2 ] || fail "no message box says the sheets came back"
  xdotool key Return
  for _ in $(seq 50); do [ "$(visible_count)" -eq 1 ] && return; sleep 0.1; done
  fail "the message box did not close"
}

# The texts typed, by window: control, position in the window (pixels), text.
form1_typed=(
  "logtally:Text17=王家林场 一队" "logtally:Text15=5.8" "logtally:Text1(4)=12" "logtally:Text2(3)=7"
  "logtally:Combo2=车牌" "logtally:Combo3=锯材计算"
)
form2_typed=("multilength:Text27=李四" "multilength:Text1(0)=6" "multilength:Text3(0)=3")
form3_typed=("sawn:Text10=新华木业" "sawn:Text1(0)=4" "sawn:Text4(0)=25")

start
log start fresh logtally logtally "logtally:Text1(0)=4" "logtally:Text2(3)=6" "logtally:Text17=" \
  "logtally:Combo3=原木计算" >/dev/null || fail "the first start is not a fresh one: $(log start fresh logtally logtally)"
form1=$(window 727x646)
type_chinese "$form1" 246 98 logtally:Text17 "王家林场 一队"  # Text17
type_into "$form1" 269 130 "5.8"        # Text15, group 1's length
type_into "$form1" 230 174 "12"         # Text1(4), row 1's count in group 1
type_into "$form1" 198 194 "7"          # Text2(3), row 2's diameter in group 1
type_chinese "$form1" 380 98 logtally:Combo2 "车牌"  # Combo2's text
choose 1                                # 多 材 长
form2=$(window 500x643)
type_chinese "$form2" 193 85 multilength:Text27 "李四"  # Text27
type_into "$form2" 92 127 "6"   # Text1(0), line 0's length
type_into "$form2" 172 127 "3"  # Text3(0), line 0's count
click "$form2" 420 275          # Command6, back to Form1
choose 1                        # 锯材计算
form3=$(window 628x482)
type_chinese "$form3" 237 99 sawn:Text10 "新华木业"  # Text10
type_into "$form3" 100 171 "4"    # Text1(0), line 0's length
type_into "$form3" 244 171 "25"   # Text4(0), line 0's pieces
wait_saved sawn "${form1_typed[@]}" "${form2_typed[@]}" "${form3_typed[@]}"
[ -f "$XDG_DATA_HOME/Quenby/quenby.sqlite" ] || fail "no store in $XDG_DATA_HOME/Quenby"

kill -9 "$quenby_pid"
wait "$quenby_pid" 2>/dev/null || true
quenby_pid=""
start
log start recovered sawn logtally,multilength,sawn "${form1_typed[@]}" "${form2_typed[@]}" "${form3_typed[@]}" ||
  fail "after SIGKILL"
recovery_told
echo "ok: after SIGKILL every field of the three sheets and the shown window come back, and the user is told"

form3=$(window 628x482)
type_into "$form3" 510 99 "13800000000"  # Text11
wait_saved sawn "sawn:Text11=13800000000"
kill -s TERM "$quenby_pid"
ends_at_once SIGTERM
start
log start recovered sawn logtally,multilength,sawn "${form1_typed[@]}" "${form2_typed[@]}" "${form3_typed[@]}" \
  "sawn:Text11=13800000000" || fail "after SIGTERM"
recovery_told
echo "ok: after SIGTERM the same"

click "$(window 628x482)" 520 218  # Command5 on Form3, back to Form1
click "$(window 727x646)" 644 500  # Command6, the exit
ends_at_once "Command6"
start
log start fresh logtally logtally "logtally:Text1(0)=4" "logtally:Text2(3)=6" "logtally:Text17=" \
  "logtally:Text15=" "logtally:Text1(4)=" "logtally:Combo2=车号" "logtally:Combo3=原木计算" ||
  fail "after the exit button"
echo "ok: after the exit button the next start is fresh"
kill -s TERM "$quenby_pid"
ends_at_once SIGTERM
leftovers=$(find "$XDG_DATA_HOME" -name '*.lock')
[ -z "$leftovers" ] || fail "lock files left behind: $leftovers"
echo "ok: no lock file is left behind"
