#!/usr/bin/env bash
# A 12-megapixel PNG and WebP read through our plug-ins and written as a 24-bit bitmap,
# next to vips copy and ImageMagick convert doing the same to the same file in the same
# run. Prints each mean time and its ratio to ours.
source "$(dirname "$0")/common.sh"
export MURALTO_HOME=$work/home MURALTO_REGISTRY=$work/registry.db
convert "$bin/Samples/Dawn Lake.bmp" -resize '4000x3000!' -attenuate 0.4 +noise Gaussian \
  "$work/photo.ppm"
convert "$work/photo.ppm" "$work/photo.png"
convert "$work/photo.ppm" -quality 90 "$work/photo.webp"
for picture in photo.png photo.webp; do
  in=$work/$picture
  echo "$picture 4000x3000 ($(du -k "$in" | cut -f1) KiB) -> 24-bit BMP:"
  hyperfine -N --warmup 1 --runs 6 --export-json "$work/r.json" \
    -n ours "$bin/muraltoctl load $in -o $work/ours.bmp" \
    -n "vips copy" "vips copy $in $work/vips.bmp" \
    -n "ImageMagick convert" "convert $in BMP3:$work/im.bmp" >/dev/null 2>&1
  python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results']; o=r[0]['mean']
for x in r: print('  %-24s %8.1f ms  ratio %.2f' % (x['command'], x['mean']*1000, x['mean']/o))" \
    "$work/r.json"
done
