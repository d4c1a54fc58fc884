#!/usr/bin/env bash
# Fails when shellcheck finds a fault in a POSIX shell script; skipped when shellcheck (installed
# by scripts/install-deps) is missing.
#   shellcheck.sh <script>...
set -euo pipefail
if ! command -v shellcheck >/dev/null; then
  echo "shellcheck: not installed (scripts/install-deps): skipped"
  exit 77
fi
shellcheck -s sh "$@"
echo "shellcheck: $# script(s) without findings"
