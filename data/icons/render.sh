#!/usr/bin/env bash
# Renders the icon's PNGs from tidewrack.svg with Debian's rsvg-convert
# (librsvg2-bin) and shrinks them with optipng. The PNGs are committed; run
# this again after changing the drawing.
#   192 and 512: the badge as drawn, transparent outside it;
#   maskable 512: the badge at 80% in the middle of a full-bleed background
#   of the rim's colour, so that any mask a launcher cuts keeps all of it.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 192 -h 192 tidewrack.svg -o tidewrack-192.png
rsvg-convert -w 512 -h 512 tidewrack.svg -o tidewrack-512.png
rsvg-convert --page-width 512 --page-height 512 --left 51 --top 51 -w 410 -h 410 \
  -b '#264653' tidewrack.svg -o tidewrack-maskable-512.png
optipng -quiet -o7 -strip all tidewrack-192.png tidewrack-512.png tidewrack-maskable-512.png
