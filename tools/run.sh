#!/usr/bin/env bash
# Installs what is missing, builds, starts the local classroom service with
# its demo school on a free loopback port, and starts the client against it.
# The service stops when the client exits. Without a display the client runs
# under a virtual X server. "tools/run.sh 2" starts a second client against
# the same school, with a home of its own that is kept across runs (its
# settings and class recordings stay), so that a teacher and a student can
# share one class room side by side, seeing and hearing each other's
# generated camera and microphone through the service's media server.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ -z "${PLOVIX_MEDIA_IFACE:-}" ]; then
  "$top/tools/setup.sh"
  # The service, its media server and the clients share a private network
  # namespace: the media never leaves this machine.
  exec "$top/tools/netns.sh" "$0" "$@"
fi
"$top/tools/build.sh"
client="$top/build/plovix"

clients="${1:-1}"
if [ "$clients" != 1 ] && [ "$clients" != 2 ]; then
  echo "run: usage: tools/run.sh [1|2]" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display, starting the client under Xvfb"
  exec xvfb-run -a -s "-screen 0 2600x1000x24" "$0" "$@"
fi

ready="$(mktemp)"
(cd "$top/tests/service" && exec /usr/bin/python3 -m plovix_service --port 0 --media-server) >"$ready" 2>&1 &
service=$!
# The demo's own files: the accompaniment and the second client's home.
demo_files="${XDG_DATA_HOME:-$HOME/.local/share}/plovix-demo"
mkdir -p "$demo_files"
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
media="$(sed -n 's/^PLOVIX-SERVICE READY .*"media": "\([^"]*\)".*$/\1/p' "$ready")"
if [ -n "$media" ]; then
  echo "run: media server at $media: participants see and hear each other"
else
  echo "run: no media server, participants do not see or hear each other:" >&2
  grep "no media server" "$ready" >&2 || true
fi
export PLOVIX_CONFIG_HOST="$base" PLOVIX_IPINFO_HOST="$base" PLOVIX_COURSE_SITE_HOST="$base" PLOVIX_PICTURE_HOST="$base"
# Machines without a microphone, speaker or camera get a generated one of
# each missing kind: the engine, the device dialog and the device test all
# list it.
export PLOVIX_MEDIA_DEMO=1
echo "run: demo school at $base; log in as teacher, student1, student2, student3, tutor or auditor, password 123456"
# A sound file for the teacher's accompaniment button: a tune of its own,
# unlike every user's generated microphone, in real AAC.
accompaniment="$demo_files/demo-accompaniment.aac"
[ -s "$accompaniment" ] || "$top/tools/demo-accompaniment.sh" "$accompaniment" || true
[ -s "$accompaniment" ] && echo "run: an accompaniment file to choose from the class room's music button: $accompaniment"

if [ "$clients" = 2 ]; then
  # The second client keeps its settings and data apart from the first,
  # and keeps them, class recordings included, from one run to the next.
  second_home="$demo_files/second-client"
  mkdir -p "$second_home/Music"
  echo "run: the second client's home (settings, data, class recordings in Music/Plovix): $second_home"
  HOME="$second_home" XDG_CONFIG_HOME="$second_home/.config" XDG_DATA_HOME="$second_home/.local/share" \
    "$client" &
  second=$!
fi
"$client"
[ "$clients" = 1 ] || wait "$second"
