#!/usr/bin/env bash
# Start-up of the log tally window under Xvfb (goal: under 150 ms to the first frame) and the
# resident memory once it is shown (goal: under 60 MB).
#   bench/startup.sh [build directory, default build]
set -euo pipefail
build=${1:-build}
probe="$build/startup_probe"
[ -x "$probe" ] || { echo "startup.sh: build $probe first" >&2; exit 1; }
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  hyperfine -N --warmup 5 --runs 40 '$probe'
  for i in 1 2 3; do '$probe' 2>/dev/null; done
"
