#!/usr/bin/env bash
# Folder scanning and watching figures:
#  - registering a tree of 100,000 files in 1,000 folders (muraltoctl buffer add
#    --recursive, a fresh buffer each run, the buffer file written) next to
#    find TREE -type f -name '*.jpg' on the same tree, warm cache, with our peak memory,
#    and the reading and registering alone inside the program (buffer_bench);
#  - the time from a file appearing in a watched folder to its registration;
#  - the CPU time of an idle monitor watching 1,000 folders for 20 seconds.
source "$(dirname "$0")/common.sh"
python3 - "$work/tree" <<'PY'
import os, sys
for d in range(1000):
    folder = os.path.join(sys.argv[1], "album%04d" % d)
    os.makedirs(folder)
    for f in range(100):
        open(os.path.join(folder, "IMG_%05d.jpg" % (d * 100 + f)), "w").close()
PY
sync # the new tree's writeback must not run during the timings
find "$work/tree" -type f > /dev/null # warm the cache
echo "== registering 100,000 files in 1,000 folders"
hyperfine -N --warmup 3 --runs 20 --export-json "$work/scan.json" \
  --prepare "rm -rf $work/home" \
  -n ours "env MURALTO_HOME=$work/home MURALTO_REGISTRY=$work/r.db $bin/muraltoctl buffer add $work/tree --recursive" \
  -n find "find $work/tree -type f -name *.jpg" >/dev/null
python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results']
print('  medians: ours %.0f ms, find %.0f ms: ours / find = %.2f' % (r[0]['median']*1000, r[1]['median']*1000, r[0]['median']/r[1]['median']))" "$work/scan.json"
MURALTO_BENCH_TREE=$work/tree "$bin/buffer_bench" --benchmark_filter=AddFolderFiles \
  --benchmark_repetitions=5 --benchmark_out="$work/inside.json" >/dev/null 2>&1
python3 -c "import json,sys
inside=[b['real_time'] for b in json.load(open(sys.argv[1]))['benchmarks'] if b.get('aggregate_name')=='median'][0]
find=json.load(open(sys.argv[2]))['results'][1]['median']*1000
print('  inside the program (read and registered; no process start, no save): %.0f ms, / find = %.2f' % (inside, inside/find))" \
  "$work/inside.json" "$work/scan.json"
rm -rf "$work/home"
MURALTO_HOME=$work/home MURALTO_REGISTRY=$work/r.db /usr/bin/time -f "  peak memory %M KiB" \
  "$bin/muraltoctl" buffer add "$work/tree" --recursive 2>&1 >/dev/null | tail -1

echo "== from a new file to its registration, and an idle monitor of 1,000 folders"
export MURALTO_HOME=$work/watch MURALTO_REGISTRY=$work/w.db
for d in "$work"/tree/album*; do echo "$d"; done | xargs "$bin/muraltoctl" watch add >/dev/null
python3 - "$bin/muraltoctl" "$work/tree/album0500" <<'PY'
import os, subprocess, sys, time
tool, folder = sys.argv[1], sys.argv[2]
p = subprocess.Popen([tool, "watch", "run"], stdout=subprocess.PIPE, text=True)
p.stdout.readline()  # "watching ..."
delays = []
for i in range(5):
    time.sleep(0.7)
    name = os.path.join(folder, "new%d.jpg" % i)
    start = time.time()
    open(name, "w").close()
    line = p.stdout.readline()
    delays.append(time.time() - start)
print("  registration after %.2f s on average (%.2f s at most; the poll is every 2 s)"
      % (sum(delays) / len(delays), max(delays)))
def cpu():
    fields = open("/proc/%d/stat" % p.pid).read().split(")")[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
before = cpu(); time.sleep(20); after = cpu()
print("  idle monitor of 1,000 folders: %.3f s of CPU in 20 s (%.2f %%)" % (after - before, (after - before) / 20 * 100))
p.terminate(); p.wait()
PY
