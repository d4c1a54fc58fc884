#!/usr/bin/env bash
# Fails on an arrow between rooms that docs/ARCHITECTURE.md does not allow: every
# `#include "<room>/..."` in src/<room>/ must name its own room or one the document's table of
# arrows lists for it. The row `calculator` stands for every folder of QUENBY_CALCULATORS (the top
# CMakeLists.txt), and so does the word in a row's list. An include that climbs out of its folder
# ("../"), a folder of src/ the table does not name and an include of one fail too.
#   include_check.sh <source tree>
set -euo pipefail
root=$1
doc=$root/docs/ARCHITECTURE.md
[ -f "$doc" ] || { echo "include_check: $doc is missing"; exit 1; }

# The table: the rows between the markers, "| `room` | what it holds | `a`, `b` |".
declare -A allowed=()
while IFS='|' read -r _ room _ arrows _; do
  room=$(printf '%s' "$room" | tr -d ' `')
  [ -n "$room" ] || continue
  allowed[$room]=" $(printf '%s' "$arrows" | tr -c 'a-z_' ' ') "
done < <(sed -n '/<!-- arrows: begin -->/,/<!-- arrows: end -->/p' "$doc" | grep '^| `')
if [ "${#allowed[@]}" -eq 0 ]; then
  echo "include_check: no table of arrows in $doc"
  exit 1
fi

calculators=" $(sed -n 's/^set(QUENBY_CALCULATORS \(.*\))$/\1/p' "$root/CMakeLists.txt") "
# The row of a folder of src/: the calculators share one.
rowOf() {
  case "$calculators" in *" $1 "*) echo calculator ;; *) echo "$1" ;; esac
}

faults=0
count=0
cd "$root/src"
for dir in */; do
  room=${dir%/}
  row=$(rowOf "$room")
  if [ -z "${allowed[$row]+set}" ]; then
    echo "src/$room: a room the table of arrows in docs/ARCHITECTURE.md does not name"
    faults=$((faults + 1))
    continue
  fi
  while IFS=: read -r file line include; do
    count=$((count + 1))
    target=${include#*\"}
    target=${target%%\"*}
    case "$target" in
      ../* | */../*)
        echo "src/$file:$line: $target climbs out of its folder"
        faults=$((faults + 1))
        continue
        ;;
      */*) ;;
      *) continue ;;  # a file beside it
    esac
    to=${target%%/*}
    [ "$to" = "$room" ] && continue
    [ -d "$to" ] || continue  # not a room of src/: a generated header or a library's
    toRow=$(rowOf "$to")
    case "${allowed[$row]} " in
      *" $toRow "*) ;;
      *)
        echo "src/$file:$line: $room -> $to ($target) is no arrow of docs/ARCHITECTURE.md"
        faults=$((faults + 1))
        ;;
    esac
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -r "$room" --include='*.h' --include='*.cpp' || true)
done
if [ "$faults" -gt 0 ]; then
  echo "include_check: $faults include(s) against the arrows of docs/ARCHITECTURE.md"
  exit 1
fi
echo "include_check: $count includes in src/ follow the arrows of docs/ARCHITECTURE.md"
