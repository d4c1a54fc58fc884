#!/usr/bin/env bash
# Start-up of the log tally window against a plain Qt 6 window with the same widgets
# (plain_window_probe), each to its first frame under Xvfb (goals: under 150 ms and under 60 MB;
# at most 1.15 times the plain window's time and instructions, and at most 3 MB more memory).
#   bench/startup.sh [build directory, default build]
# Prints, for both programs and as a ratio:
# - wall time: one hyperfine call runs the two, each start on a settled machine, the way a user
#   starts the program (a pause before each run; on this virtual machine a start that follows
#   another at once pays 30-40 ms more, in Qt's own QApplication set-up already);
# - resident memory at the first frame, the median of 5 starts;
# - instructions, free of the machine's noise, counted by callgrind (when valgrind is installed).
# To see where the instructions go, keep the profiles and read them by function:
#   QUENBY_PROBE_TIMEOUT=300 xvfb-run -a valgrind --tool=callgrind \
#     --callgrind-out-file=/tmp/cg.quenby.%p build/startup_probe
#   QUENBY_PROBE_TIMEOUT=300 xvfb-run -a valgrind --tool=callgrind \
#     --callgrind-out-file=/tmp/cg.plain.%p build/plain_window_probe
#   callgrind_annotate --inclusive=yes /tmp/cg.quenby.<pid> | head -60
# A process that Qt forks early in its start leaves a second, smaller profile: the larger one is
# the program's own.
set -euo pipefail
build=${1:-build}
probe="$build/startup_probe"
plain="$build/plain_window_probe"
for p in "$probe" "$plain"; do
  [ -x "$p" ] || { echo "startup.sh: build $p first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  hyperfine -N --warmup 3 --runs 20 --prepare 'sleep 1' --export-json '$work/time.json' \
    --command-name quenby '$probe' --command-name plain '$plain'
  for i in 1 2 3 4 5; do '$probe' 2>/dev/null | awk '{print \$2}' >> '$work/rss.quenby'; done
  for i in 1 2 3 4 5; do '$plain' 2>/dev/null | awk '{print \$2}' >> '$work/rss.plain'; done
"
if command -v valgrind >/dev/null; then
  for name in quenby plain; do
    program=$probe
    [ "$name" = plain ] && program=$plain
    QUENBY_PROBE_TIMEOUT=300 xvfb-run -a -s "-screen 0 1024x768x24" valgrind --tool=callgrind \
      --callgrind-out-file="$work/cg.$name.%p" "$program" >/dev/null 2>&1
    # The largest profile is the program's own.
    ls -S "$work"/cg."$name".* | head -1 | xargs grep -h '^summary:' | awk '{print $2}' > "$work/ir.$name"
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
