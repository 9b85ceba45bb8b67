#!/usr/bin/env bash
# Starts the console N times (default 4) under a window manager (openbox on Xvfb), closes it each
# time with Ctrl+Q, and prints the outer geometry it opened with and the size keys it stored. Every
# start must open with the same outer geometry. Usage: scripts/check-placement.sh [BUILD_DIR] [N]
set -euo pipefail
build=${1:-build}
starts=${2:-4}
program=$(realpath "$build/console/vorlanix")
for tool in Xvfb openbox xdotool xprop xwininfo xdpyinfo; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb openbox xdotool x11-utils)"; exit 2; }
done
dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'cat "$dir/program.log" 2>/dev/null' ERR
# Xvfb picks a free display itself and names it, so no other session's display is ever used.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$dir/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$dir/display")
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
export XDG_CONFIG_HOME=$dir/config HOME=$dir/home
mkdir -p "$HOME"
ini=$XDG_CONFIG_HOME/velmora/velmora.ini
outer=()
for n in $(seq "$starts"); do
  "$program" >>"$dir/program.log" 2>&1 &
  app=$!
  # The program's main window, once the window manager has framed it (its frame extents are set).
  geometry=
  for _ in $(seq 50); do
    for id in $(xdotool search --onlyvisible --pid "$app" --name "Velmora's Tarnwick" 2>/dev/null); do
      extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep '=' | sed 's/.*= //; s/,//g') || continue
      info=$(xwininfo -id "$id" 2>/dev/null) || continue
      read -r fl fr ft fb <<<"$extents"
      x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
      y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
      w=$(awk '/Width:/ {print $2}' <<<"$info")
      h=$(awk '/Height:/ {print $2}' <<<"$info")
      geometry="$((w + fl + fr))x$((h + ft + fb))+$((x - fl))+$((y - ft))"
      break 2
    done
    sleep 0.2
  done
  [ -n "$geometry" ] || { echo "start $n: no framed window"; exit 1; }
  # What the program does once shown (placing itself in its frame) has settled.
  sleep 0.5
  info=$(xwininfo -id "$id")
  w=$(awk '/Width:/ {print $2}' <<<"$info")
  h=$(awk '/Height:/ {print $2}' <<<"$info")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  geometry="$((w + fl + fr))x$((h + ft + fb))+$((x - fl))+$((y - ft))"
  outer+=("$geometry")
  xdotool windowactivate --sync "$id" key --clearmodifiers ctrl+q
  wait "$app" || true
  stored=$(grep -E '^Settings\\Window(Left|Top|Width|Height)=' "$ini" | sed 's/^Settings\\//' | tr '\n' ' ')
  echo "start $n: outer ${geometry} (frame $fl,$fr,$ft,$fb); stored: $stored"
done
first=${outer[0]}
for g in "${outer[@]}"; do
  [ "$g" = "$first" ] || { echo "FAIL: the outer geometry changed between starts"; exit 1; }
done
echo "same outer geometry at every start"
