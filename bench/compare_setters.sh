#!/usr/bin/env bash
# Times setting a 1920x1080 wallpaper on a bare X server (Xvfb, -noreset) with our
# muraltoctl set-wallpaper next to xwallpaper --zoom, feh --bg-fill and hsetroot -fill on
# the same picture (they get it as JPEG, their usual input; ours is the composed bitmap).
# Prints each mean and its ratio to ours.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in hyperfine xwallpaper feh hsetroot Xvfb; do
  command -v "$tool" >/dev/null || { echo "missing $tool (apt-get install hyperfine xwallpaper feh hsetroot xvfb)" >&2; exit 1; }
done
scripts/build.sh build >/dev/null
bin=$PWD/build/bin
work=$(mktemp -d)
Xvfb :97 -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
server=$!
trap 'kill $server; rm -rf "$work"' EXIT
sleep 1
export DISPLAY=:97 MURALTO_DESKTOP=x11 MURALTO_HOME=$work MURALTO_REGISTRY=$work/registry.db
picture="$bin/Samples/Dawn Lake.bmp"
convert "$picture" -quality 92 "$work/dawn.jpg"
hyperfine -N --warmup 3 --runs 30 --export-json "$work/times.json" \
  -n muraltoctl "$bin/muraltoctl set-wallpaper '$picture'" \
  -n xwallpaper "xwallpaper --zoom $work/dawn.jpg" \
  -n feh "feh --bg-fill $work/dawn.jpg" \
  -n hsetroot "hsetroot -fill $work/dawn.jpg" >/dev/null
inprogram=$("$bin/set_wallpaper_timing" "$picture" 30 | awk '{print $2}')
python3 - "$work/times.json" "$inprogram" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
ours = float(sys.argv[2]) / 1000
print("%-26s %7.1f ms" % ("SetWallpaper (in muralto)", ours * 1000))
for r in results:
    print("%-26s %7.1f ms  ratio to SetWallpaper %.2f" % (r["command"] + " (whole process)", r["mean"] * 1000, r["mean"] / ours))
PY
