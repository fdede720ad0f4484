#!/usr/bin/env bash
# Installs what is missing, builds, and starts the client. Without a display
# it runs under a virtual X server.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/tools/setup.sh"
"$top/tools/build.sh"
client="$top/build/plovix"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display, starting the client under Xvfb"
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$client"
fi
exec "$client"
