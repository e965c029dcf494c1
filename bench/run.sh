#!/usr/bin/env bash
# Measures the buffer figures: registering a 100,000-file folder tree with muraltoctl,
# drawing from a 100,000-file buffer, and saving and loading its buffer file (time and
# peak memory). Prints one figure per line.
source "$(dirname "$0")/common.sh"
n=${1:-100000}

echo "== buffer add of a folder tree of $n files"
python3 - "$work/tree" "$n" <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    d = os.path.join(root, "Album %d" % (i % 100))
    os.makedirs(d, exist_ok=True)
    open(os.path.join(d, "IMG_%06d.bmp" % i), "w").close()
PY
MURALTO_HOME=$work/home /usr/bin/time -f "add_seconds %e\nadd_peak_kb %M" \
  "$bin/muraltoctl" buffer add "$work/tree" --recursive 2>&1 >/dev/null | grep -v '^muraltoctl'
MURALTO_HOME=$work/home /usr/bin/time -f "list_seconds %e\nlist_peak_kb %M" \
  "$bin/muraltoctl" buffer list 2>&1 >/dev/null

echo "== save and load of a $n-record buffer file"
/usr/bin/time -f "roundtrip_peak_kb %M" "$bin/bufferfile_roundtrip" "$n"

echo "== inner loops"
"$bin/buffer_bench" --benchmark_min_time=0.2 2>/dev/null

echo "== settings store"
"$bin/settings_bench" --benchmark_min_time=0.2 2>/dev/null
