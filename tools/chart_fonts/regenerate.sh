#!/bin/bash
# Rebuilds chart_sdk/graphics/fnt_glyphs.cpp from the misc-fixed fonts of
# the Debian package xfonts-base (apt-get install xfonts-base libfreetype-dev).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -O1 -Wall -Wextra -Werror "$here/gen_chart_fonts.cpp" \
    $(pkg-config --cflags --libs freetype2) -o "$tmp/gen_chart_fonts"
"$tmp/gen_chart_fonts" "${1:-/usr/share/fonts/X11/misc}" > "$tmp/fnt_glyphs.cpp"
mv "$tmp/fnt_glyphs.cpp" "$root/chart_sdk/graphics/fnt_glyphs.cpp"
