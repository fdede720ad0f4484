#!/usr/bin/env bash
# Installs what is missing, builds, starts the local classroom service with
# its demo school on a free loopback port, and starts the client against it.
# The service stops when the client exits. Without a display the client runs
# under a virtual X server.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/tools/setup.sh"
"$top/tools/build.sh"
client="$top/build/plovix"

ready="$(mktemp)"
(cd "$top/tests/service" && exec /usr/bin/python3 -m plovix_service --port 0) >"$ready" 2>&1 &
service=$!
stop_service() {
  kill "$service" 2>/dev/null || true
  wait "$service" 2>/dev/null || true
  rm -f "$ready"
}
trap stop_service EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for _ in $(seq 1 150); do
  grep -q "PLOVIX-SERVICE READY" "$ready" && break
  if ! kill -0 "$service" 2>/dev/null; then
    echo "run: the classroom service did not start:" >&2
    cat "$ready" >&2
    exit 1
  fi
  sleep 0.1
done
port="$(sed -n 's/^PLOVIX-SERVICE READY .*"http": \([0-9]*\).*$/\1/p' "$ready")"
if [ -z "$port" ]; then
  echo "run: no ready line from the classroom service" >&2
  exit 1
fi
base="http://127.0.0.1:$port"
export PLOVIX_CONFIG_HOST="$base" PLOVIX_IPINFO_HOST="$base" PLOVIX_COURSE_SITE_HOST="$base" PLOVIX_PICTURE_HOST="$base"
# Machines without a camera get a generated one from the stand-in engine,
# and the device test a generated microphone, speaker and camera where the
# machine has none.
export PLOVIX_RTC_DEMO_CAMERA=1 PLOVIX_MEDIA_DEMO=1
echo "run: demo school at $base; log in as teacher, student1, student2, student3, tutor or auditor, password 123456"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display, starting the client under Xvfb"
  xvfb-run -a -s "-screen 0 1600x1000x24" "$client"
else
  "$client"
fi
