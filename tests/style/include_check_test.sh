#!/usr/bin/env bash
# Fault caught: an include check that passes whatever src/ includes. On a scratch tree with the
# project's docs/ARCHITECTURE.md and CMakeLists.txt, a store file that includes a calculator's
# header, a sheet file that includes the shell and an include that climbs out of its folder each
# fail the check, and the same tree with allowed arrows only passes it.
#   include_check_test.sh <source tree>
set -euo pipefail
root=$1
check=$root/tests/style/include_check.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/docs" "$scratch/src/store" "$scratch/src/sheet" "$scratch/src/logtally" "$scratch/src/shell"
cp "$root/docs/ARCHITECTURE.md" "$scratch/docs/"
cp "$root/CMakeLists.txt" "$scratch/"
allowed() {
  printf '#include "sheet/sheet.h"\n#include "store/x.h"\n' >"$scratch/src/store/x.cpp"
  printf '#include "calc/field.h"\n' >"$scratch/src/sheet/x.h"
  printf '#include "sheet/sheet.h"\n#include "shell/y.h"\n' >"$scratch/src/logtally/x.cpp"
  : >"$scratch/src/shell/y.h"
}
allowed
"$check" "$scratch" >/dev/null || { echo "include_check_test: allowed arrows failed the check"; exit 1; }
fails=0
for bad in 'store/x.cpp:#include "logtally/log_tally_export.h"' 'sheet/x.h:#include "shell/y.h"' \
           'store/x.cpp:#include "../logtally/x.h"'; do
  allowed
  file=${bad%%:*}
  printf '%s\n' "${bad#*:}" >>"$scratch/src/$file"
  if out=$("$check" "$scratch"); then
    echo "include_check_test: src/$file with ${bad#*:} passed the check"
    fails=$((fails + 1))
  else
    printf '%s\n' "$out" | head -1
  fi
done
[ "$fails" -eq 0 ]
echo "include_check_test: every arrow against the table failed the check"
