#!/usr/bin/env bash
# Runs a command in three private network namespaces that stand for the
# roads of a real lesson: the command's own holds the school's side (the
# media server's address 10.47.2.2 on plxwan0), a second is a home router
# that masquerades (nftables) everything its clients send, and a third is a
# client behind it (10.47.1.2, its default route through the router). The
# school's side has no route to the clients' network, so only the router's
# translation brings their packets back. No packet leaves the machine.
#
# Inside, PLOVIX_MEDIA_IFACE and PLOVIX_MEDIA_ADDR name the school's
# interface and address (as tools/netns.sh does), and PLOVIX_ROUTER_NETNS
# and PLOVIX_CLIENT_NETNS the other two namespaces for nsenter --net=.
#
#     tools/netroads.sh COMMAND [ARGS...]
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "netroads: usage: tools/netroads.sh COMMAND [ARGS...]" >&2
  exit 2
fi

if [ "$1" != "--inside" ]; then
  self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
  unset PLOVIX_MEDIA_IFACE PLOVIX_MEDIA_ADDR
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --net "$self" --inside "$@"
  fi
  exec unshare --map-root-user --net "$self" --inside "$@"
fi
shift

own="$(readlink /proc/self/ns/net)"
# A sleeper holds each of the other two namespaces.
hold() {
  unshare --net sleep infinity </dev/null >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 200); do
    if [ "$(readlink "/proc/$pid/ns/net" 2>/dev/null)" != "$own" ]; then
      echo "$pid"
      return 0
    fi
    sleep 0.01
  done
  echo "netroads: no namespace for the $1" >&2
  return 1
}
router="$(hold router)"
client="$(hold client)"
trap 'kill "$router" "$client" 2>/dev/null || true' EXIT
on() {
  local pid=$1
  shift
  nsenter --net="/proc/$pid/ns/net" "$@"
}
quiet_ipv6() {
  echo 1 >/proc/sys/net/ipv6/conf/all/disable_ipv6 2>/dev/null || true
  echo 1 >/proc/sys/net/ipv6/conf/default/disable_ipv6 2>/dev/null || true
}

# The school's side.
ip link set lo up
quiet_ipv6
ip link add plxwan0 type veth peer name plxwan1 netns "$router"
ip addr add 10.47.2.2/24 dev plxwan0
ip link set plxwan0 up

# The router: forwards, and masquerades what leaves on the school's side.
on "$router" sh -c '
  echo 1 >/proc/sys/net/ipv6/conf/all/disable_ipv6 2>/dev/null || true
  ip link set lo up
  ip addr add 10.47.2.1/24 dev plxwan1
  ip link set plxwan1 up
  ip link add plxlan0 type veth peer name plxlan1 netns '"$client"'
  ip addr add 10.47.1.1/24 dev plxlan0
  ip link set plxlan0 up
  echo 1 >/proc/sys/net/ipv4/ip_forward'
on "$router" nft -f - <<'EOF'
table ip plxnat {
  chain postrouting {
    type nat hook postrouting priority srcnat; policy accept;
    oifname "plxwan1" masquerade
  }
  chain forward {
    type filter hook forward priority filter; policy accept;
  }
}
EOF

# The client.
on "$client" sh -c '
  echo 1 >/proc/sys/net/ipv6/conf/all/disable_ipv6 2>/dev/null || true
  ip link set lo up
  ip addr add 10.47.1.2/24 dev plxlan1
  ip link set plxlan1 up
  ip route add default via 10.47.1.1'

export PLOVIX_MEDIA_IFACE=plxwan0 PLOVIX_MEDIA_ADDR=10.47.2.2 PLOVIX_OWN_NETNS=1
export PLOVIX_ROUTER_NETNS="/proc/$router/ns/net" PLOVIX_CLIENT_NETNS="/proc/$client/ns/net"
"$@"
