#!/usr/bin/env bash
# Draws the conversion program's skin: window backgrounds, the four faces of each picture
# button, the picture areas' icons, the slider, the splash, and the viewer's title picture.
# Needs ImageMagick 6 (convert) and the DejaVu and Noto CJK fonts; the build only embeds the
# files this writes. Sizes and places are listed in layout.txt beside this script.
#
# Usage: converter/skin/make-skin.sh
set -euo pipefail
cd "$(dirname "$0")"

# One calm dark theme with one accent colour.
BG=#1d2026        # window background
CAPTION=#16181d   # caption strip
FIELD=#272b33     # fields, panels, the preview's control strip
WELL=#111317      # preview frame, progress box
LINE=#3a404b      # borders and separators
TEXT=#d9dee7
MUTED=#8a93a3
ACCENT=#3ebd84
ACCENT_HI=#57d39a
ACCENT_LO=#2d9a69
ALERT=#d0605a     # only the Stop button's rim

SANS=DejaVu-Sans
BOLD=DejaVu-Sans-Bold
CJK=Noto-Sans-CJK-SC

# gif ARGS... OUT: convert ARGS into a GIF of at most 64 colours, without dithering.
gif() { convert "${@:1:$#-1}" +dither -colors 64 "${@: -1}"; }

# face W H FILL RIM OUT: one button face, rounded, with a faint light along its top edge.
face() {
  local w=$1 h=$2 fill=$3 rim=$4 out=$5
  gif -size "${w}x${h}" xc:"$BG" -fill "$fill" -stroke "$rim" -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 $((w - 1)).5,$((h - 1)).5 5,5" \
    -stroke "#ffffff1c" -draw "line 5,1.5 $((w - 6)),1.5" "$out"
}

# faces PREFIX W H: the four faces of a neutral button.
faces() {
  face "$2" "$3" "#2c313a" "#454c58" "$1_normal.gif"
  face "$2" "$3" "#343a45" "$ACCENT" "$1_over.gif"
  face "$2" "$3" "#23272e" "$ACCENT_LO" "$1_down.gif"
  face "$2" "$3" "#22252b" "#30343b" "$1_disabled.gif"
}

# faces_accent PREFIX W H: the four faces of the button that starts the work.
faces_accent() {
  face "$2" "$3" "$ACCENT" "#6fe0ab" "$1_normal.gif"
  face "$2" "$3" "$ACCENT_HI" "#8debbf" "$1_over.gif"
  face "$2" "$3" "$ACCENT_LO" "$ACCENT_LO" "$1_down.gif"
  face "$2" "$3" "#2b3a33" "#34463d" "$1_disabled.gif"
}

# icon W H OUT DRAW...: a picture-area icon drawn at four times its size in TEXT on FIELD,
# scaled down, with the field colour turned white (the areas' mask colour), so only the glyph
# is laid over the window.
icon() {
  local w=$1 h=$2 out=$3
  shift 3
  convert -size "$((w * 4))x$((h * 4))" xc:"$FIELD" -fill "$TEXT" -stroke none "$@" \
    -resize "${w}x${h}!" +dither -colors 32 -fuzz 3% -fill white -opaque "$FIELD" "$out"
}

# ---- main window: 460 x 340 ----
convert -size 460x340 xc:"$BG" \
  -fill "$CAPTION" -draw "rectangle 0,0 459,28" -fill "$LINE" -draw "line 0,29 459,29" \
  -fill "$ACCENT" -draw "roundrectangle 10,7 24,21 3,3" \
  -fill "$BG" -font "$BOLD" -pointsize 11 -draw "text 13.5,19 'F'" \
  -fill "$TEXT" -font "$BOLD" -pointsize 13 -draw "text 32,19.5 'Fenwo.Zantiro'" \
  -fill "$MUTED" -font "$CJK" -pointsize 11 -draw "text 343,19 'A文'" \
  -fill none -stroke "$MUTED" -strokewidth 1.4 -draw "circle 381,14 381,21" \
  -stroke none -fill "$MUTED" -font "$BOLD" -pointsize 10 -draw "text 377.5,18 '?'" \
  -stroke "$MUTED" -strokewidth 1.6 -draw "line 403,15 417,15" \
  -draw "line 432,9 442,19" -draw "line 442,9 432,19" -stroke none \
  -fill "$FIELD" -stroke "$LINE" -strokewidth 1 \
  -draw "roundrectangle 144.5,64.5 445.5,97.5 4,4" \
  -draw "roundrectangle 144.5,108.5 445.5,141.5 4,4" \
  -draw "roundrectangle 144.5,200.5 445.5,277.5 4,4" \
  -stroke none -fill "$LINE" -draw "line 16,150 444,150" -draw "line 16,196 444,196" \
  +dither -colors 128 main.gif

faces btn 120 34          # cmdInput, cmdOutput, cmdOpt
faces small 56 20         # cmdResetFps
faces_accent encode 120 36  # cmdEncode(0)
face 120 36 "#2c2326" "$ALERT" stop_normal.gif   # cmdEncode(1)
face 120 36 "#3a2a2d" "$ALERT" stop_over.gif
face 120 36 "#241d1f" "#a84c47" stop_down.gif
face 120 36 "#22252b" "#30343b" stop_disabled.gif

# Hover banner (picPopSay) and progress box (picProgress).
gif -size 436x26 xc:"$BG" -fill "#1f3a2e" -stroke "$ACCENT_LO" -strokewidth 1 \
  -draw "roundrectangle 0.5,0.5 435.5,25.5 12,12" banner.gif
gif -size 300x28 xc:"$WELL" -fill none -stroke "$LINE" -strokewidth 1 \
  -draw "rectangle 0.5,0.5 299.5,27.5" progress.gif

# ---- options window: 640 x 420 ----
convert -size 640x420 xc:"$BG" \
  -fill "$WELL" -stroke "$LINE" -strokewidth 1 -draw "roundrectangle 8.5,8.5 415.5,319.5 4,4" \
  -fill "$FIELD" -draw "roundrectangle 8.5,327.5 415.5,411.5 4,4" \
  -draw "roundrectangle 423.5,8.5 631.5,411.5 4,4" \
  -stroke none -fill "$LINE" \
  -draw "line 432,92 622,92" -draw "line 432,140 622,140" -draw "line 432,188 622,188" \
  -draw "line 432,236 622,236" -draw "line 432,362 622,362" \
  +dither -colors 128 options.gif

faces dlg 90 28           # cmdOkCancel(1)
faces_accent ok 90 28     # cmdOkCancel(0)

# Seek slider: track (imgSliderBG) and thumb (imgSlider).
gif -size 384x10 xc:"$FIELD" -fill "$WELL" -stroke "$LINE" -strokewidth 1 \
  -draw "roundrectangle 0.5,2.5 383.5,7.5 2,2" track.gif
gif -size 12x18 xc:"$FIELD" -fill "$ACCENT" -stroke "#6fe0ab" -strokewidth 1 \
  -draw "roundrectangle 0.5,0.5 11.5,17.5 3,3" -stroke "$ACCENT_LO" -draw "line 6,5 6,12" thumb.gif

# Transport icons, 28 x 28.
icon 28 28 play.gif -draw "polygon 38,28 38,84 84,56"
icon 28 28 pause.gif -draw "roundrectangle 34,30 48,82 3,3" -draw "roundrectangle 64,30 78,82 3,3"
icon 28 28 backward.gif -draw "polygon 56,32 56,80 22,56" -draw "polygon 88,32 88,80 54,56"
icon 28 28 forward.gif -draw "polygon 24,32 24,80 58,56" -draw "polygon 56,32 56,80 90,56"
icon 28 28 bigscreen.gif -fill none -stroke "$TEXT" -strokewidth 7 \
  -draw "polyline 22,44 22,22 44,22" -draw "polyline 68,22 90,22 90,44" \
  -draw "polyline 90,68 90,90 68,90" -draw "polyline 44,90 22,90 22,68"
icon 28 28 embedded.gif -fill none -stroke "$TEXT" -strokewidth 7 \
  -draw "polyline 22,44 44,44 44,22" -draw "polyline 68,22 68,44 90,44" \
  -draw "polyline 90,68 68,68 68,90" -draw "polyline 44,90 44,68 22,68"
icon 28 28 capture.gif -fill none -stroke "$TEXT" -strokewidth 6 \
  -draw "roundrectangle 20,26 92,86 6,6" -stroke none -fill "$TEXT" \
  -draw "rectangle 30,34 38,42" -draw "rectangle 52,34 60,42" -draw "rectangle 74,34 82,42" \
  -draw "rectangle 30,70 38,78" -draw "rectangle 52,70 60,78" -draw "rectangle 74,70 82,78" \
  -fill "$ACCENT" -draw "circle 56,56 56,64"
icon 28 28 capture_stop.gif -fill none -stroke "$TEXT" -strokewidth 6 \
  -draw "circle 34,78 34,90" -draw "circle 78,78 78,90" \
  -draw "line 42,68 80,20" -draw "line 70,68 32,20" -stroke none -fill "$ALERT" \
  -draw "circle 56,50 56,55"

# Marks: a pill under the caption (lblMark) and the clear button (lblMarkDel), 24 high.
icon 76 24 mark.gif -fill "#343a45" -stroke "$LINE" -strokewidth 4 \
  -draw "roundrectangle 2,2 301,93 44,44" -stroke none -fill "$ACCENT" -draw "rectangle 18,24 25,72"
icon 24 24 markdel.gif -fill none -stroke "$TEXT" -strokewidth 8 \
  -draw "line 28,28 68,68" -draw "line 68,28 28,68"

# Adjustments, 20 x 20: step down, step up, back to the start value; volume down and up.
icon 20 20 minus.gif -draw "roundrectangle 16,35 64,45 3,3"
icon 20 20 plus.gif -draw "roundrectangle 16,35 64,45 3,3" -draw "roundrectangle 35,16 45,64 3,3"
icon 20 20 reset.gif -fill none -stroke "$TEXT" -strokewidth 8 -draw "arc 14,14 66,66 200,520" \
  -stroke none -fill "$TEXT" -draw "polygon 6,28 30,28 18,46"
icon 20 20 voldown.gif -draw "polygon 10,30 22,30 38,16 38,64 22,50 10,50" \
  -draw "roundrectangle 48,36 72,44 2,2"
icon 20 20 volup.gif -draw "polygon 10,30 22,30 38,16 38,64 22,50 10,50" \
  -draw "roundrectangle 48,36 72,44 2,2" -draw "roundrectangle 56,28 64,52 2,2"

# The single screenshot button (lblSrceenshot): four JPEG faces, a camera.
shot() {
  convert -size 112x112 xc:"$2" -fill "$3" -stroke none \
    -draw "roundrectangle 14,34 98,90 8,8" -draw "roundrectangle 38,24 66,40 4,4" \
    -fill "$2" -draw "circle 56,62 56,80" -fill "$3" -draw "circle 56,62 56,72" \
    -resize 28x28 -quality 92 "$1"
}
shot shot_normal.jpg "$FIELD" "$TEXT"
shot shot_over.jpg "#343a45" "$ACCENT_HI"
shot shot_down.jpg "#1f2228" "$ACCENT"
shot shot_disabled.jpg "$FIELD" "#4a505b"

# ---- splash: 360 x 200; white is its transparent colour ----
convert -size 360x200 xc:"$BG" -fill "$ACCENT" -draw "rectangle 0,0 359,7" \
  -fill "$ACCENT" -draw "roundrectangle 28,28 60,60 7,7" \
  -fill "$BG" -font "$BOLD" -pointsize 24 -draw "text 36,53 'F'" \
  -fill "$TEXT" -font "$BOLD" -pointsize 26 -draw "text 72,54 'Fenwo'" \
  -fill "$MUTED" -font "$SANS" -pointsize 12 -draw "text 74,70 'Zantiro'" \
  -fill "$FIELD" -stroke "$LINE" -strokewidth 1 -draw "roundrectangle 28.5,84.5 331.5,179.5 6,6" \
  \( -size 360x200 xc:black +antialias -fill white -draw "roundrectangle 0,0 359,199 14,14" \) \
  -alpha off -compose CopyOpacity -composite -background white -compose Over -flatten \
  -type TrueColor BMP3:splash.bmp

# ---- the viewer's title picture (imgTitle), 240 x 120, transparent corners ----
convert -size 240x120 xc:none -fill "$BG" -stroke "$LINE" -strokewidth 1 \
  -draw "roundrectangle 0.5,0.5 239.5,119.5 12,12" -stroke none \
  -fill "$ACCENT" -draw "roundrectangle 24,34 60,70 8,8" \
  -fill "$BG" -draw "polygon 32,62 42,48 48,56 52,51 54,62" -draw "circle 49,43 49,46" \
  -fill "$TEXT" -font "$BOLD" -pointsize 20 -draw "text 72,58 'Fenwo'" \
  -fill "$MUTED" -font "$SANS" -pointsize 12 -draw "text 74,76 'Lumtak'" \
  -fill "$LINE" -draw "rectangle 24,90 216,90" \
  +dither -colors 64 ../../viewer/res/title.gif

# The hand cursor of the conversion program (imgCur), the same picture as the viewer's.
python3 ../../viewer/res/make-harrow.py hand.cur
