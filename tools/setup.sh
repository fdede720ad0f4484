#!/usr/bin/env bash
# Installs, only when missing, every Debian package that the build, the tests
# and the run of Plovix need. Safe to run again and again.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5websockets5-dev libqt5svg5-dev
  qtmultimedia5-dev libqt5multimedia5-plugins libqt5opengl5-dev libqt5sql5-sqlite
  qttools5-dev qttools5-dev-tools
  # Qt's own Chinese texts for the stock dialogs.
  qttranslations5-l10n
  libmpv-dev libavfilter-dev libavformat-dev libx11-dev libxv-dev libxrandr-dev
  python3 python3-aiohttp openssl
  xvfb xauth fonts-noto-cjk
  clang libclang-rt-14-dev clang-format
  # Live audio and video: the media server the tests and the demo run, and
  # the engine's GStreamer stack (webrtcbin with libnice, VP8, Opus, level,
  # test sources, X and OpenGL sinks, ALSA and PulseAudio devices).
  janus coturn nftables
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libgstreamer-plugins-bad1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-nice
  gstreamer1.0-x gstreamer1.0-gl gstreamer1.0-alsa gstreamer1.0-pulseaudio
  # gst-launch-1.0 and gst-inspect-1.0: the demo encodes its accompaniment.
  gstreamer1.0-tools
  # The private network namespace the media runs in (tools/netns.sh).
  iproute2 util-linux
  # The Debian package, the tools that judge it, and what it depends on
  # beyond the build's own packages.
  dpkg-dev file desktop-file-utils appstream lintian libxcb1-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
