#!/usr/bin/env bash
# Start-up of the log tally window under Xvfb (goal: under 150 ms to the first frame) and the
# resident memory once it is shown (goal: under 60 MB).
#   bench/startup.sh [build directory, default build]
# The first figure is a single start on a settled machine, the way a user starts the program: a
# pause before each run. The second runs the starts back to back; on this virtual machine a start
# that follows another at once pays 30-40 ms more, in Qt's own QApplication set-up already.
set -euo pipefail
build=${1:-build}
probe="$build/startup_probe"
[ -x "$probe" ] || { echo "startup.sh: build $probe first" >&2; exit 1; }
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  hyperfine -N --warmup 3 --runs 30 --prepare 'sleep 1' --command-name 'settled start' '$probe'
  hyperfine -N --warmup 5 --runs 40 --command-name 'back-to-back starts' '$probe'
  for i in 1 2 3; do '$probe' 2>/dev/null; done
"
