#!/usr/bin/env bash
# Makes the skin pictures (GIF) from nothing but ImageMagick and the DejaVu
# fonts, so that the art can be rebuilt and changed by anyone:
#   resources/skin/make-skin.sh        (writes the .gif files beside itself)
# The operator's colours: navy 000674 (button outline), green 2C9F16 and
# light green 9AD193 (graph), ring CDD8E2, face F4F4F0, links 330079.
# The title strip's marks sit in the zones the main window reacts to:
# minimise x 453-472, close x 475-494, both y 5-21.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert  # /usr/local/bin/convert may be a stand-in
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
plain=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
navy='#000674' green='#2C9F16' light='#9AD193' ring='#CDD8E2' link='#330079'
mark='#2A3596' markEdge='#8E98D8'

# 500 x 360: title strip, green rule, white body framed in navy, footer.
"$convert" -size 500x360 xc:white \
  -fill "$navy" -draw 'rectangle 0,0 499,29' \
  -fill "$green" -draw 'rectangle 0,30 499,32' \
  -fill "$light" -draw 'rectangle 0,33 499,33' \
  -fill "$ring" -draw 'rectangle 0,334 499,359' \
  -fill "$green" -draw 'rectangle 0,333 499,333' \
  -fill "$navy" -draw 'rectangle 0,0 0,359' -draw 'rectangle 499,0 499,359' \
  -draw 'rectangle 0,357 499,357' \
  -fill "$mark" -stroke "$markEdge" -strokewidth 1 \
  -draw 'roundrectangle 453,5 472,21 3,3' -draw 'roundrectangle 475,5 494,21 3,3' \
  -stroke none -fill white -draw 'rectangle 458,15 467,16' \
  -stroke white -strokewidth 2 -draw 'line 480,9 489,17' -draw 'line 489,9 480,17' \
  -stroke none -fill white -font "$bold" -pointsize 13 -annotate +14+20 'Корвана Dialwave' \
  -fill "$navy" -font "$plain" -pointsize 10 -annotate +14+350 'Корвана · GPRS' \
  -type Palette -colors 64 +dither background.gif

# Panel headings: the panel's name in the links' colour over a green rule.
heading() {
  "$convert" -size 300x24 xc:white \
    -fill "$green" -draw 'rectangle 0,21 299,22' \
    -fill "$link" -font "$bold" -pointsize 13 -annotate +0+16 "$2" \
    -type Palette -colors 32 +dither "heading-$1.gif"
}
heading connect 'Соединение'
heading agreement 'Пользовательское соглашение'
heading start 'Установка'
heading service 'Настройки'
heading about 'О программе'
