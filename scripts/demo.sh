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
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/muralto" /E /C /NS /DA
else
  xvfb-run -a "$bin/muralto" /E /C /NS /DA
fi
wallpaper="$MURALTO_HOME/Wallpaper.bmp"
[ -s "$wallpaper" ] || { echo "no wallpaper was written" >&2; exit 1; }
echo "Wallpaper written: $wallpaper"
file "$wallpaper" 2>/dev/null || true
