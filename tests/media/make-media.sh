#!/usr/bin/env bash
# Makes the test media of this folder with Debian's ffmpeg (5.1). Run it from anywhere; it rewrites
# every file it makes. All pictures are ffmpeg's test pattern (a moving counter over colour bars)
# and the sound a 440 Hz tone, which keeps the files small.
set -euo pipefail
cd "$(dirname "$0")"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
src="testsrc=size=320x240:rate=25"
tone="sine=frequency=440:sample_rate=22050"

# 4 s video with audio: MPEG-4 in AVI (tag FMP4), and H.264 in MP4.
ff -f lavfi -i "$src:duration=4" -f lavfi -i "$tone:duration=4" \
   -c:v mpeg4 -q:v 8 -c:a mp2 -b:a 32k -ac 1 clip.avi
ff -f lavfi -i "$src:duration=4" -f lavfi -i "$tone:duration=4" \
   -c:v libx264 -preset veryfast -crf 32 -pix_fmt yuv420p -c:a aac -b:a 32k -ac 1 clip.mp4
# Windows Media: the engine reports 1000 fps for it.
ff -f lavfi -i "$src:duration=4" -f lavfi -i "$tone:duration=4" \
   -c:v wmv2 -q:v 10 -c:a wmav2 -b:a 32k -ac 1 clip.wmv
# 10 s video with a key frame only every 3 s (0, 3, 6, 9): a seek lands on the next one.
ff -f lavfi -i "testsrc=size=160x120:rate=25:duration=10" \
   -c:v mpeg4 -q:v 10 -g 75 -sc_threshold 1000000000 sparse-keys.avi
# Animated GIF, 160x120, 20 frames at 5 fps; a static GIF of one frame.
ff -f lavfi -i "testsrc=size=160x120:rate=5:duration=4" anim.gif
ff -f lavfi -i "testsrc=size=160x120:rate=1" -frames:v 1 static.gif
# Picture folders, one per kind: five 120x90 pictures each, the frames one second apart.
for kind in bmp jpg gif png; do
  mkdir -p "pictures/$kind"
  rm -f "pictures/$kind"/*
  ff -f lavfi -i "testsrc=size=120x90:rate=1:duration=5" -f image2 "pictures/$kind/p%d.$kind"
done
