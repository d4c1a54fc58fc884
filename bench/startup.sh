#!/usr/bin/env bash
# Start-up of the program (startup_probe: the start of src/app/main.cpp, the user's store
# included) against a plain Qt 6 window with Form1's widgets (plain_window_probe), each to its
# first frame under Xvfb (goals: under 150 ms and under 60 MB;
# at most 1.15 times the plain window's time and instructions, and at most 3 MB more memory).
#   bench/startup.sh [build directory, default build] [folder to keep the two profiles in]
# Prints, for both programs and as a ratio:
# - wall time: one hyperfine call runs the two, each start on a settled machine, the way a user
#   starts the program (a pause before each run; on this virtual machine a start that follows
#   another at once pays 30-40 ms more, in Qt's own QApplication set-up already);
# - resident memory at the first frame, the median of 5 starts;
# - instructions, free of the machine's noise, counted by callgrind (when valgrind is installed).
# The program's store is a private one (XDG_DATA_HOME), put back before every start as a user's
# start finds it: the store of one earlier run that the user ended by the exit button.
# To see where the instructions go, keep the profiles (the second argument names a folder) and
# read them by function, callgrind_annotate --inclusive=yes <folder>/cg.quenby | head -60; or
# make them by hand:
#   export XDG_DATA_HOME=$(mktemp -d)
#   QUENBY_PROBE_USER_EXIT=1 xvfb-run -a build/startup_probe  # the store of an earlier run
#   QUENBY_PROBE_TIMEOUT=300 xvfb-run -a valgrind --tool=callgrind \
#     --callgrind-out-file=/tmp/cg.quenby.%p build/startup_probe
#   QUENBY_PROBE_TIMEOUT=300 xvfb-run -a valgrind --tool=callgrind \
#     --callgrind-out-file=/tmp/cg.plain.%p build/plain_window_probe
#   callgrind_annotate --inclusive=yes /tmp/cg.quenby.<pid> | head -60
# A process that Qt forks early in its start leaves a second, smaller profile: the larger one is
# the program's own.
set -euo pipefail
build=${1:-build}
keep=${2:-}
probe="$build/startup_probe"
plain="$build/plain_window_probe"
for p in "$probe" "$plain"; do
  [ -x "$p" ] || { echo "startup.sh: build $p first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
# The store as an earlier run left it; `$restore` puts it back before each start, then pauses.
XDG_DATA_HOME="$work/earlier" QUENBY_PROBE_USER_EXIT=1 xvfb-run -a -s "-screen 0 1024x768x24" "$probe"
[ -f "$work/earlier/Quenby/quenby.sqlite" ] || { echo "startup.sh: the probe made no store" >&2; exit 1; }
restore="$work/restore"
printf '#!/bin/sh\nrm -rf "%s" && cp -a "%s" "%s" && sleep 1\n' "$XDG_DATA_HOME" "$work/earlier" "$XDG_DATA_HOME" >"$restore"
chmod +x "$restore"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  hyperfine -N --warmup 3 --runs 20 --prepare '$restore' --export-json '$work/time.json' \
    --command-name quenby '$probe' --command-name plain '$plain'
  for i in 1 2 3 4 5; do '$restore'; '$probe' 2>/dev/null | awk '{print \$2}' >> '$work/rss.quenby'; done
  for i in 1 2 3 4 5; do '$plain' 2>/dev/null | awk '{print \$2}' >> '$work/rss.plain'; done
"
if command -v valgrind >/dev/null; then
  for name in quenby plain; do
    program=$probe
    [ "$name" = plain ] && program=$plain
    "$restore"
    QUENBY_PROBE_TIMEOUT=300 xvfb-run -a -s "-screen 0 1024x768x24" valgrind --tool=callgrind \
      --callgrind-out-file="$work/cg.$name.%p" "$program" >/dev/null 2>&1
    # The largest profile is the program's own.
    profile=$(ls -S "$work"/cg."$name".* | head -1)
    grep -h '^summary:' "$profile" | awk '{print $2}' > "$work/ir.$name"
    if [ -n "$keep" ]; then cp "$profile" "$keep/cg.$name"; fi
  done
fi

python3 - "$work" <<'EOF'
import json, pathlib, statistics, sys
work = pathlib.Path(sys.argv[1])
runs = {r["command"]: r for r in json.loads((work / "time.json").read_text())["results"]}
def median_file(name):
    return statistics.median(int(x) for x in (work / name).read_text().split())
rows = [("first frame, median ms", runs["quenby"]["median"] * 1000, runs["plain"]["median"] * 1000),
        ("resident memory, median kB", median_file("rss.quenby"), median_file("rss.plain"))]
if (work / "ir.quenby").exists():
    rows.append(("instructions, millions", median_file("ir.quenby") / 1e6, median_file("ir.plain") / 1e6))
print(f"{'':28}{'quenby':>10}{'plain':>10}{'more':>10}{'ratio':>8}")
for what, quenby, plain in rows:
    print(f"{what:28}{quenby:10.1f}{plain:10.1f}{quenby - plain:10.1f}{quenby / plain:8.2f}")
EOF
