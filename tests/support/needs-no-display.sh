#!/bin/sh
# Fails when the program needs Qt's display libraries at run time, directly or through another library.
needs=$(ldd "$1") || { echo "ldd cannot read $1"; exit 1; }
echo "$needs" | grep -q 'libQt6Core' || { echo "no Qt libraries found in: $needs"; exit 1; }
if echo "$needs" | grep -E 'libQt6(Gui|Widgets)'; then
  echo "$1 must not need these"
  exit 1
fi
