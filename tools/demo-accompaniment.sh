#!/usr/bin/env bash
# Writes the demo's accompaniment to PATH: a two-minute tune, unlike every
# user's generated microphone, in real AAC (ADTS frames), encoded with the
# first of GStreamer's voaacenc, avenc_aac and faac that is present.
# Usage: tools/demo-accompaniment.sh PATH
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: tools/demo-accompaniment.sh PATH" >&2
  exit 2
fi
target="$1"
encoder=""
for candidate in voaacenc avenc_aac faac; do
  if gst-inspect-1.0 "$candidate" >/dev/null 2>&1; then
    encoder="$candidate"
    break
  fi
done
if [ -z "$encoder" ]; then
  echo "demo-accompaniment: no AAC encoder in GStreamer (voaacenc, avenc_aac or faac)" >&2
  exit 1
fi
tune="$(mktemp --suffix=.wav)"
trap 'rm -f "$tune" "$target.part"' EXIT
/usr/bin/python3 - "$tune" <<'PY'
import math, struct, sys, wave
rate = 44100
# A slow arpeggio of plucked triangle notes.
notes = [220.0, 277.18, 329.63, 440.0, 329.63, 277.18]
cycle = bytearray()
for hz in notes:
    for n in range(rate // 4):
        t = n / rate
        triangle = 4 * abs((hz * t) % 1.0 - 0.5) - 1
        cycle += struct.pack("<h", int(9000 * triangle * math.exp(-6 * t)))
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(rate)
    out.writeframes(bytes(cycle) * 80)
PY
gst-launch-1.0 -q filesrc location="$tune" ! wavparse ! audioconvert ! "$encoder" ! aacparse \
  ! audio/mpeg,stream-format=adts ! filesink location="$target.part" >/dev/null
mv "$target.part" "$target"
