#!/usr/bin/env bash
# Figure 2: the burst of bench/burst.sh to the module, to irssi and to
# HexChat, interleaved: each round runs the three in turn, and the figures
# are the medians over the rounds of each one's time and of the ratio of the
# module's time to each peer's, taken round by round.
#   bench/peers.sh [LINES] [ROUNDS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
lines=${1:-20000}
rounds=${2:-5}
build_windows
results=$work/rounds.txt
for round in $(seq "$rounds"); do
    run_burst "$lines" >"$work/module.txt"
    sed "s/^/round $round /" "$work/module.txt"
    echo "$round module $seconds" >>"$results"
    peers=$("$root/bench/peer_clients.sh" "$work/burst.txt" "$lines")
    sed "s/^/round $round /" <<<"$peers"
    while read -r name _ _ _ peer_seconds _; do
        echo "$round ${name%:} $peer_seconds" >>"$results"
    done <<<"$peers"
done
python3 - "$results" "$lines" <<'PY'
import collections, statistics, sys
times = collections.defaultdict(dict)  # client -> round -> seconds
for line in open(sys.argv[1]):
    round_, client, seconds = line.split()
    times[client][round_] = float(seconds)
lines = int(sys.argv[2])
for client, by_round in times.items():
    values = sorted(by_round.values())
    median = statistics.median(values)
    print("median: %s %.2f s (%.2f-%.2f), %d lines/s" % (client, median, values[0], values[-1], lines / median))
for client in times:
    if client == "module":
        continue
    ratios = sorted(times["module"][r] / times[client][r] for r in times[client] if r in times["module"])
    print("ratio: module time / %s time, median of %d rounds = %.2f (%.2f-%.2f)" % (
        client, len(ratios), statistics.median(ratios), ratios[0], ratios[-1]))
PY
