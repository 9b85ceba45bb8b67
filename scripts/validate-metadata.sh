#!/bin/sh
# Runs the desktop's own checkers on the desktop entries and the metainfo; 77 (skipped) without them.
# Usage: validate-metadata.sh SOURCE-RESOURCES BUILD-RESOURCES
set -eu
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "$tool not installed"; exit 77; }
done
desktop-file-validate "$1"/*.desktop
appstreamcli validate --no-net "$2"/*.metainfo.xml
