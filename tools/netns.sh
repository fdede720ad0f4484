#!/usr/bin/env bash
# Runs a command inside a private network namespace in which the media
# server and its clients talk: lo up, and a veth pair whose one end holds
# 127.77.0.1 (Janus gathers no ICE candidates on a loopback interface, so the
# media runs over this pair). Both ends stay inside the namespace, so no
# packet of it leaves the machine. Inside, PLOVIX_MEDIA_IFACE and
# PLOVIX_MEDIA_ADDR name the interface and its address; when they are set
# already, the command runs as it is, unless --fresh asks for a namespace of
# its own (for a test that shapes the traffic in it; PLOVIX_OWN_NETNS is set
# inside).
#
#     tools/netns.sh [--fresh] COMMAND [ARGS...]
set -euo pipefail

if [ "${1:-}" = "--fresh" ]; then
  shift
  unset PLOVIX_MEDIA_IFACE PLOVIX_MEDIA_ADDR
  export PLOVIX_OWN_NETNS=1
fi

if [ $# -eq 0 ]; then
  echo "netns: usage: tools/netns.sh COMMAND [ARGS...]" >&2
  exit 2
fi
if [ -n "${PLOVIX_MEDIA_IFACE:-}" ]; then
  exec "$@"
fi

if [ "${1:-}" = "--inside" ]; then
  shift
  iface=plxmedia0
  addr=127.77.0.1
  ip link set lo up
  ip link add "$iface" type veth peer name plxmedia1
  ip addr add "$addr/24" dev "$iface"
  ip link set "$iface" up
  ip link set plxmedia1 up
  # Link-local IPv6 addresses would be candidates too; the media stays on
  # the one IPv4 address.
  for end in "$iface" plxmedia1; do
    echo 1 >"/proc/sys/net/ipv6/conf/$end/disable_ipv6" 2>/dev/null || true
  done
  export PLOVIX_MEDIA_IFACE="$iface" PLOVIX_MEDIA_ADDR="$addr"
  exec "$@"
fi

self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
if [ "$(id -u)" -eq 0 ]; then
  exec unshare --net "$self" --inside "$@"
fi
exec unshare --map-root-user --net "$self" --inside "$@"
