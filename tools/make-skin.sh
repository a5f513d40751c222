#!/usr/bin/env bash
# Draws the chat window's skin into DIR (the IRCSkin folder beside the host):
# the command buttons with their labels in enabled, disabled and active looks,
# the sound and show/hide-controls icons, the tab's new-message icon, the
# background, and the chime played when the user is addressed.
#   make-skin.sh DIR
set -euo pipefail
out=${1:?usage: make-skin.sh DIR}
mkdir -p "$out"

# The real ImageMagick, whatever else is called convert on the PATH.
im=$(command -v convert-im6.q16 || command -v convert)
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# Windows reads plain 24-bit bitmaps.
bmp() { "$im" "$@" -type TrueColor -alpha off "BMP3:$out/$name"; }

# A 90 by 25 button: rounded face with a gradient, its label centred.
button() {
    local name=$1 label=$2 top=$3 bottom=$4 border=$5 ink=$6
    bmp -size 90x25 "gradient:$top-$bottom" \
        \( -size 90x25 xc:none -fill none -stroke "$border" -strokewidth 1 \
           -draw "roundrectangle 0,0 89,24 5,5" \) -composite \
        -stroke none -font "$font" -pointsize 11 -fill "$ink" -gravity center -annotate +0+0 "$label"
}

# The three looks of the set.
enabled()  { button "$1" "$2" '#5b8fd6' '#2d5fa8' '#1d3f73' white; }
disabled() { button "$1" "$2" '#e4e7ec' '#c9ced6' '#a4abb6' '#8a929e'; }
active()   { button "$1" "$2" '#f5b451' '#d9822b' '#8f5316' white; }

enabled  INPUT.BMP "Зайти"
disabled INPUT_DISABLE.BMP "Зайти"
enabled  OUTPUT.BMP "Выйти"
disabled OUTPUT_DISABLE.BMP "Выйти"
enabled  CHANGENICK.BMP "Сменить ник"
disabled CHANGENICK_DISABLE.BMP "Сменить ник"
active   CHANGENICK_ACTIVATE.BMP "Сменить ник"

# 22 by 22 icons on the button face of the set; $name is the file.
icon() {
    bmp -size 22x22 "gradient:#5b8fd6-#2d5fa8" \
        -fill none -stroke '#1d3f73' -draw "roundrectangle 0,0 21,21 4,4" "$@"
}
speaker='polygon 4,9 8,9 12,5 12,17 8,13 4,13'
name=SOUND_ENABLE.BMP icon -fill white -stroke white -draw "$speaker" \
    -fill none -strokewidth 1.5 -draw "arc 11,7 17,15 -60,60" -draw "arc 11,4 20,18 -60,60"
name=SOUND_DISABLE.BMP icon -fill white -stroke white -draw "$speaker" \
    -stroke '#ff5a4e' -strokewidth 2 -draw "line 14,8 19,14" -draw "line 19,8 14,14"
name=SHOW_CONTROLS.BMP icon -fill white -stroke white -draw "polygon 5,8 17,8 11,15"
name=HIDE_CONTROLS.BMP icon -fill white -stroke white -draw "polygon 5,14 17,14 11,7"

# The tab's new-message icon: an envelope. The top-left pixel's colour is
# the image list's transparent colour.
name=MESSAGE.BMP bmp -size 16x16 xc:magenta -fill '#ffd75e' -stroke '#8f5316' \
    -draw "rectangle 1,3 14,12" -fill none -draw "polyline 1,3 8,9 14,3"

# The background: a quiet vertical gradient, stretched over the dialog.
name=BACKGROUND.BMP bmp -size 640x480 "gradient:#eef2f8-#c9d5e6"

# A short two-note chime.
sox -q -n -r 22050 -b 16 -c 1 "$out/Message.wav" \
    synth 0.12 sine 988 synth 0.12 sine 988 : synth 0.22 sine 1319 fade q 0 0.22 0.18 \
    gain -6 2>/dev/null ||
sox -q -n -r 22050 -b 16 -c 1 "$out/Message.wav" synth 0.3 sine 988:1319 fade q 0.01 0.3 0.2 gain -6
