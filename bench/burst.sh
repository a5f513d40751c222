#!/usr/bin/env bash
# Figure 1: a burst of 20,000 coloured channel lines sent at once to a
# logged-in, visible chat window; lines per second from the first byte sent
# until the last line is in the output control. With HELD, the channel has
# shown that many lines before the burst: past 5,000 the burst meets the
# scrollback's bound.
#   bench/burst.sh [--tls] [LINES] [HELD]
# --tls: the same burst over TLS on port 6697 (needs root; see with_tls).
set -euo pipefail
source "$(dirname "$0")/common.sh"
with_tls "$0" "$@"
lines=${1:-20000}
held=${2:-0}
build_windows
run_burst "$lines" "$held"
