#!/usr/bin/env bash
# Draws the client's skin bitmaps 2010 to 2027 (24-bit BMP) into client/skin/ with
# ImageMagick. The labels are Chinese when the WenQuanYi font is installed, else English.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/client/skin"
mkdir -p "$out"

cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
if [ -f "$cjk" ]; then
  font=$cjk
  L_FULL="使用全屏模式"; L_NOSHOW="不再显示该窗口"; L_AUTO="自动选择(推荐)"; L_D3D="Direct3D"
  L_GL="OpenGL"; L_SOFT="软件渲染"; L_GROUP="游戏显示驱动"; L_OK="确定"; L_TITLE="游戏设置"
  T_D3D="Direct3D：使用显卡的 Direct3D 加速，\n适合大多数显卡。"
  T_GL="OpenGL：使用显卡的 OpenGL 加速，\nDirect3D 出错时可以试试。"
  T_SOFT="软件渲染：不使用显卡加速，\n最稳定，但画面较慢。"
  T_AUTO="自动选择：由游戏根据显卡\n选择最合适的显示方式（推荐）。"
else
  font=DejaVu-Sans
  L_FULL="Full screen"; L_NOSHOW="Don't show again"; L_AUTO="Automatic"; L_D3D="Direct3D"
  L_GL="OpenGL"; L_SOFT="Software"; L_GROUP="Display driver"; L_OK="OK"; L_TITLE="Settings"
  T_D3D="Direct3D: hardware acceleration\nthrough Direct3D."
  T_GL="OpenGL: hardware acceleration\nthrough OpenGL."
  T_SOFT="Software: no acceleration,\nthe most stable."
  T_AUTO="Automatic: the game picks\nthe best mode (recommended)."
fi

# Key colour of the background and the tooltips (pixel (0, 0)).
KEY="rgb(255,0,255)"
# Transparent colours of the buttons.
T_OK="rgb(236,0,140)"; T_CHECK="rgb(237,19,90)"; T_RADIO="rgb(240,110,170)"

# save FILE CONVERT-ARGS...
save() { local file=$1; shift; convert "$@" -alpha off -type TrueColor "BMP3:$file"; }

# Background: a rounded panel, its outline drawn without smoothing so that no pixel
# mixes with the key colour, with the title, a group frame and the labels beside the
# buttons' places (check boxes 14,227 and 14,260; radios 163,227 163,260 306,227 306,258).
save "$out/2010.bmp" -size 580x370 "xc:$KEY" +antialias \
  -fill "rgb(28,44,78)" -stroke "rgb(120,160,220)" -strokewidth 2 -draw "roundrectangle 1,1 578,368 22,22" \
  -antialias -fill "rgb(44,70,120)" -stroke none -draw "roundrectangle 8,8 571,52 14,14" \
  -font "$font" -fill "rgb(240,220,150)" -pointsize 22 -draw "text 24,40 '$L_TITLE'" \
  -fill none -stroke "rgb(120,160,220)" -strokewidth 1 -draw "roundrectangle 150,200 424,296 8,8" \
  -stroke none -fill "rgb(28,44,78)" -draw "rectangle 162,192 262,208" \
  -fill "rgb(240,220,150)" -pointsize 14 -draw "text 166,206 '$L_GROUP'" \
  -fill white -pointsize 13 \
  -draw "text 42,244 '$L_FULL'" -draw "text 42,277 '$L_NOSHOW'" \
  -draw "text 191,244 '$L_AUTO'" -draw "text 191,277 '$L_GL'" \
  -draw "text 334,244 '$L_SOFT'" -draw "text 334,275 '$L_D3D'"

# OK button, 79 x 26: normal 2013, hover 2012, down 2011, disabled 2014.
ok() { # file fill text-colour text-offset
  save "$out/$1.bmp" -size 79x26 "xc:$T_OK" +antialias \
    -fill "$2" -stroke "rgb(200,220,255)" -draw "roundrectangle 0,0 78,25 6,6" -antialias \
    -font "$font" -pointsize 14 -fill "$3" -stroke none -gravity center -draw "text $4,$4 '$L_OK'"
}
ok 2013 "rgb(52,96,168)" white 0
ok 2012 "rgb(76,128,210)" white 0
ok 2011 "rgb(30,60,110)" "rgb(230,230,230)" 1
ok 2014 "rgb(90,90,90)" "rgb(160,160,160)" 0

# Check box looks, 24 x 24: 2020 normal, 2019 hover, 2027 checked, 2023 disabled,
# 2024 checked and disabled.
check() { # file box-fill tick-colour (none for no tick)
  local tick=()
  [ "$3" != none ] && tick=(-stroke "$3" -strokewidth 3 -fill none -draw "polyline 7,12 11,16 17,7")
  save "$out/$1.bmp" -size 24x24 "xc:$T_CHECK" +antialias \
    -fill "$2" -stroke "rgb(200,220,255)" -strokewidth 1 -draw "rectangle 3,3 20,20" "${tick[@]}"
}
check 2020 "rgb(240,244,250)" none
check 2019 "rgb(200,220,255)" none
check 2027 "rgb(240,244,250)" "rgb(20,120,40)"
check 2023 "rgb(120,120,120)" none
check 2024 "rgb(120,120,120)" "rgb(70,70,70)"

# Radio looks, 24 x 24: 2021 normal, 2022 hover, 2026 selected, 2025 disabled.
radio() { # file ring-fill dot-colour (none for no dot)
  local dot=()
  [ "$3" != none ] && dot=(-fill "$3" -stroke none -draw "circle 12,12 12,16")
  save "$out/$1.bmp" -size 24x24 "xc:$T_RADIO" +antialias \
    -fill "$2" -stroke "rgb(200,220,255)" -strokewidth 1 -draw "circle 12,12 12,3" "${dot[@]}"
}
radio 2021 "rgb(240,244,250)" none
radio 2022 "rgb(200,220,255)" none
radio 2026 "rgb(240,244,250)" "rgb(20,80,200)"
radio 2025 "rgb(120,120,120)" none

# Tooltips, 230 x 58, key colour in the corners: 2015 Direct3D, 2016 OpenGL,
# 2017 software, 2018 automatic.
tip() { # file text
  save "$out/$1.bmp" -size 230x58 "xc:$KEY" +antialias \
    -fill "rgb(255,250,215)" -stroke "rgb(90,80,40)" -draw "roundrectangle 0,0 229,57 10,10" -antialias \
    -font "$font" -pointsize 13 -fill "rgb(40,30,10)" -stroke none -draw "text 10,22 '$(printf "$2")'"
}
tip 2015 "$T_D3D"
tip 2016 "$T_GL"
tip 2017 "$T_SOFT"
tip 2018 "$T_AUTO"

# The resource script that client.exe and the tests link.
{
  echo "// Skin bitmaps of the client, made by scripts/make_skin.sh."
  for id in $(seq 2010 2027); do echo "$id BITMAP \"$id.bmp\""; done
} > "$out/skin.rc"
