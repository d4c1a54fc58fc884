#!/usr/bin/env bash
# Fails when a C++ source file is not laid out as the project's .clang-format says. Layouts differ
# between clang-format versions, so the check runs only with the version scripts/install-deps
# installs (Debian 12's, 14) and is skipped with a message under any other.
#   format_check.sh <source tree>
set -euo pipefail
root=$1
wanted=14
formatter=$(command -v "clang-format-$wanted" || command -v clang-format || true)
if [ -z "$formatter" ]; then
  echo "format_check: clang-format is not installed (scripts/install-deps): skipped"
  exit 77
fi
version=$("$formatter" --version | sed -n 's/.*version \([0-9]*\)\..*/\1/p')
if [ "$version" != "$wanted" ]; then
  echo "format_check: clang-format $version is not version $wanted, whose layout the tree follows: skipped"
  exit 77
fi
cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  mapfile -t files < <(find src tests bench fuzz resources -name '*.cpp' -o -name '*.h')
fi
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
"$formatter" --dry-run -Werror --style=file "${existing[@]}"
echo "format_check: ${#existing[@]} files laid out as .clang-format says"
