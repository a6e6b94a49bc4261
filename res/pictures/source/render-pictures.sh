#!/usr/bin/env bash
# Renders the pictures the program folder needs from their SVG sources, with
# the ffmpeg tool (which reads SVG through librsvg). Run it after changing a
# source and commit the results; the build only copies them.
set -euo pipefail
cd "$(dirname "$0")"
ffmpeg -v error -nostdin -y -i tolvarextractor.svg -frames:v 1 -q:v 2 ../tolvarextractor.jpg
ffmpeg -v error -nostdin -y -i audioextractor.svg -frames:v 1 -pix_fmt bgr24 ../audioextractor.bmp
