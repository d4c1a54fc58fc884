#!/usr/bin/env bash
# The real program's command line with no display at all, where opening a window would fail: each
# case is the arguments, the exit status and the first line of standard output and of standard
# error (empty: the stream stays empty).
#   command_line_test.sh <quenby executable> <version>
set -uo pipefail
quenby=$1
version=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"
failures=0

# check NAME STATUS STDOUT STDERR ARGS...
check() {
  local name=$1 status=$2
  local -A want=([out]=$3 [err]=$4)
  shift 4
  local code=0
  timeout 20 "$quenby" "$@" >"$work/out" 2>"$work/err" || code=$?
  local problems=()
  [ "$code" -eq "$status" ] || problems+=("exit status $code, not $status")
  for stream in out err; do
    if [ -z "${want[$stream]}" ]; then
      [ ! -s "$work/$stream" ] || problems+=("std$stream is not empty")
    else
      [ "$(head -1 "$work/$stream")" = "${want[$stream]}" ] || problems+=("std$stream does not begin '${want[$stream]}'")
    fi
  done
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok: $name"
  else
    echo "FAILED: $name: ${problems[*]}"
    sed 's/^/  stdout: /' "$work/out"
    sed 's/^/  stderr: /' "$work/err"
    failures=$((failures + 1))
  fi
}

check "--version" 0 "quenby $version" "" --version
check "--help" 0 "用法：quenby [选项]" "" --help
for option in "-h, --help" "-v, --version" "--ledger"; do
  grep -qF -- "  $option  " "$work/out" || { echo "FAILED: --help does not list $option"; failures=$((failures + 1)); }
done
check "an unknown option" 2 "" "quenby: 未知选项 --frobnicate" --frobnicate
check "a stray argument" 2 "" "quenby: 多余的参数 账单明细.xls" 账单明细.xls
check "Qt's own options pass through" 0 "quenby $version" "" -platform offscreen -style fusion -reverse --version

[ "$failures" -eq 0 ]
