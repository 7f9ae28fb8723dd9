#!/bin/bash
# bookzip test against unzip -t on archives made by zip here and now:
#   1. 100,000 tiny entries: time (target: within 3x of unzip -t);
#   2. one entry of 2.2 GB of zeros: time (within 1.5x) and peak memory (under 64 MiB).
# The zeros come from a sparse file, so the disk holds only the small archive.
# Usage: bench/bookzip_test.sh path/to/bookzip
set -euo pipefail
bookzip=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints "seconds peak-KiB" of a command, its output discarded: the median
# wall time of five runs (the machines are shared) and the largest peak.
measure() {
  python3 - "$@" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
times, peak = [], 0
with tempfile.NamedTemporaryFile() as report:
    for _ in range(5):
        # GNU time starts the command from its own small process, so the
        # peak it reports is the command's, not that of a copy of Python.
        start = time.perf_counter()
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + sys.argv[1:],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
        peak = max(peak, int(open(report.name).read().split()[-1]))
print("%.3f %d" % (statistics.median(times), peak))
PY
}

mkdir "$work/many"
python3 - "$work/many" <<'PY'
import os, sys
for i in range(100000):
    folder = os.path.join(sys.argv[1], "d%03d" % (i // 1000))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%06d.txt" % i), "w") as f:
        f.write("entry %d\n" % i)
PY
(cd "$work/many" && zip -q -r "$work/many.zip" .)
rm -rf "$work/many"

truncate -s 2200M "$work/zeros.bin"
(cd "$work" && zip -q big.zip zeros.bin)
rm -f "$work/zeros.bin"

printf '%-28s %10s %10s %8s %14s %14s\n' archive "unzip s" "bookzip s" ratio "unzip KiB" "bookzip KiB"
for archive in many.zip big.zip; do
  read -r ut um <<<"$(measure unzip -t -qq "$work/$archive")"
  read -r bt bm <<<"$(measure "$bookzip" test "$work/$archive")"
  ratio=$(python3 -c "print('%.2f' % ($bt / max($ut, 0.001)))")
  printf '%-28s %10s %10s %7sx %14s %14s\n' "$archive ($(du -h "$work/$archive" | cut -f1))" "$ut" "$bt" "$ratio" "$um" "$bm"
done
"$bookzip" test "$work/big.zip" | tail -1
"$bookzip" test "$work/many.zip" | tail -1
