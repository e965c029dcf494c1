#!/usr/bin/env bash
# Builds Muralto, registers the bundled sample pictures and makes one wallpaper change.
# With a desktop session the wallpaper changes on that desktop; without a display the
# change runs under a virtual X server. Either way it prints where Wallpaper.bmp is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
bin=$PWD/build/bin
export MURALTO_HOME=${MURALTO_HOME:-$PWD/demo}
export MURALTO_REGISTRY=${MURALTO_REGISTRY:-$MURALTO_HOME/registry.db}
"$bin/muraltoctl" buffer add "$bin/Samples" >/dev/null
# A month calendar, the date and the picture's name on every change, as default patterns.
if [ -z "$("$bin/muraltoctl" patterns list)" ]; then
  "$bin/muraltoctl" patterns add calendar "Default Pattern" size=16 shadow=1 alpha=40 \
    position=3 marginx=-24 marginy=24 hspace=6 >/dev/null
  "$bin/muraltoctl" patterns add date "Default Pattern" size=30 shadow=1 position=4 \
    marginx=-32 marginy=-32 format='gg e"年" m"月" d"日"（dddd）' >/dev/null
  "$bin/muraltoctl" patterns add filename "Default Pattern" size=14 shadow=1 frame=0 \
    fullpath=0 hideext=1 position=1 marginx=24 marginy=-24 >/dev/null
  for kind in Calender AnnoDomini DrawFileName; do
    "$bin/muraltoctl" settings set "Default${kind}Type" 01
  done
fi
status=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/muralto" /E /C /NS /DA || status=$?
else
  # A virtual X server; its root window shows the wallpaper, saved as a screenshot.
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" sh -c \
    "'$bin/muralto' /E /C /NS /DA && xwd -root -silent > '$MURALTO_HOME/screen.xwd'" \
    || status=$?
fi
wallpaper="$MURALTO_HOME/Wallpaper.bmp"
[ -s "$wallpaper" ] || { echo "no wallpaper was written" >&2; exit 1; }
echo "Wallpaper written: $wallpaper"
file "$wallpaper" 2>/dev/null || true
if [ -s "$MURALTO_HOME/screen.xwd" ] && command -v convert >/dev/null; then
  convert "xwd:$MURALTO_HOME/screen.xwd" "$MURALTO_HOME/screen.png" 2>/dev/null &&
    echo "The virtual screen, as the desktop showed it: $MURALTO_HOME/screen.png"
fi
[ "$status" -eq 0 ] || echo "Muralto reported a failure (status $status); see the message above." >&2
exit "$status"
