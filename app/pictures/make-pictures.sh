#!/usr/bin/env bash
# Draws the start-up panel's and the About box's pictures with ImageMagick.
# The JPEGs it writes are committed beside it; run it again after changing a
# picture here. Usage: app/pictures/make-pictures.sh [OUTDIR]
set -euo pipefail
out="${1:-$(cd "$(dirname "$0")" && pwd)}"
mkdir -p "$out"
export MAGICK_TIME_LIMIT=60
jpeg=(-strip -sampling-factor 1x1 -quality 92)

panel='rgb(248,248,249)'
band='rgb(233,236,243)'
ink='rgb(86,99,146)'
deep='rgb(43,54,68)'

# Top band of the start-up panel: a soft wash with a fan of pages on the right,
# leaving the left free for the title label drawn over it.
convert -size 547x89 gradient:'rgb(214,223,238)'-'rgb(250,251,253)' -rotate 180 \
  -fill 'rgba(86,99,146,0.10)' -draw 'circle 500,110 500,10' \
  -fill 'rgba(86,99,146,0.08)' -draw 'circle 430,-40 430,40' \
  -stroke "$ink" -strokewidth 2 -fill white \
  -draw 'polygon 412,70 462,58 462,16 412,28' \
  -draw 'polygon 462,58 512,70 512,28 462,16' \
  -stroke 'rgb(160,170,200)' -strokewidth 1 \
  -draw 'line 420,38 454,30' -draw 'line 420,46 454,38' -draw 'line 420,54 454,46' \
  -draw 'line 470,30 504,38' -draw 'line 470,38 504,46' -draw 'line 470,46 504,54' \
  "${jpeg[@]}" "$out/banner.jpg"

# Small book in front of each recent book.
convert -size 16x16 xc:"$panel" \
  -fill white -stroke "$deep" -strokewidth 1 -draw 'rectangle 4,2 14,14' \
  -fill "$ink" -draw 'rectangle 2,1 12,13' \
  -fill 'rgb(214,223,238)' -stroke none -draw 'rectangle 5,4 10,5' -draw 'rectangle 5,7 9,7' \
  "${jpeg[@]}" "$out/recent-book.jpg"

# Folder in front of "Open...".
convert -size 16x16 xc:"$panel" \
  -fill 'rgb(230,186,84)' -stroke 'rgb(160,120,40)' -strokewidth 1 \
  -draw 'polygon 1,3 6,3 7,5 14,5 14,13 1,13' \
  -fill 'rgb(245,210,120)' -draw 'polygon 1,13 3,7 15,7 14,13' \
  "${jpeg[@]}" "$out/open-book.jpg"

# The reader's mark in the bottom band: an open book.
convert -size 56x56 xc:"$band" \
  -fill "$ink" -stroke none -draw 'roundrectangle 2,2 53,53 10,10' \
  -fill white -stroke "$deep" -strokewidth 1 \
  -draw 'polygon 9,40 28,44 28,16 9,12' -draw 'polygon 28,44 47,40 47,12 28,16' \
  -stroke 'rgb(160,170,200)' \
  -draw 'line 13,20 24,22' -draw 'line 13,26 24,28' -draw 'line 13,32 24,34' \
  -draw 'line 32,22 43,20' -draw 'line 32,28 43,26' -draw 'line 32,34 43,32' \
  "${jpeg[@]}" "$out/reader-mark.jpg"

# About box background, 497 x 369: a banner with the name, the rest calm so
# that the labels stay readable; a thin edge, as the box has no border.
convert -size 497x369 xc:"$panel" \
  \( -size 497x112 gradient:'rgb(214,223,238)'-'rgb(250,251,253)' -rotate 180 \
     -fill 'rgba(86,99,146,0.10)' -draw 'circle 450,140 450,40' \) -geometry +0+0 -composite \
  -stroke "$ink" -strokewidth 2 -fill white \
  -draw 'polygon 372,86 418,74 418,30 372,42' -draw 'polygon 418,74 464,86 464,42 418,30' \
  -stroke none -fill "$deep" -font DejaVu-Sans -pointsize 26 -annotate +24+58 'Vell Reader' \
  -fill "$ink" -pointsize 11 -annotate +26+82 'Page-turning books on your desktop' \
  -fill "$ink" -draw 'rectangle 0,112 496,113' \
  -fill "$band" -draw 'rectangle 0,318 496,368' \
  -fill 'rgb(200,205,218)' -draw 'rectangle 0,318 496,318' \
  -fill none -stroke "$ink" -strokewidth 1 -draw 'rectangle 0,0 496,368' \
  "${jpeg[@]}" "$out/about-background.jpg"
