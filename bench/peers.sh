#!/usr/bin/env bash
# Figure 2: the burst of bench/burst.sh to the module, to irssi and to
# HexChat in the same run, and the ratio of the module's time to each peer's.
#   bench/peers.sh [LINES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
lines=${1:-20000}
build_windows
run_burst "$lines"
peers=$("$root/bench/peer_clients.sh" "$work/burst.txt" "$lines")
echo "$peers"
while read -r name _ _ _ peer_seconds _; do
    echo "ratio: module time / ${name%:} time = $(python3 -c "print('%.1f' % ($seconds / $peer_seconds))")"
done <<<"$peers"
