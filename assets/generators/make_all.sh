#!/bin/sh
# Rebuilds every generated file below assets/data/ and checks the font.
# Needs: python3, fontforge, fonts-dejavu-core (Debian packages).
set -e
cd "$(dirname "$0")"
# fixed time stamps inside the font, so that a rebuild gives the same bytes
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-1700000000}"
fontforge -lang=py -script make_font.py 2>&1 | grep -v -e "Internal Error (overlap)" || true
python3 make_pieces.py
python3 make_energy.py
python3 make_icon.py
python3 check_font.py
