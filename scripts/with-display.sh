#!/usr/bin/env bash
# Starts a program on the desktop, or under Xvfb where there is no display.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting $1 under Xvfb (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
fi
exec "$@"
