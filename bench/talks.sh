#!/usr/bin/env bash
# Figure 4b: one chat window with 100 conversations (the server tab, the
# channel and 98 private ones) fed 2,000,000 lines in all: the committed
# memory as in memory.sh. The window's bound keeps it under its limit.
#   bench/talks.sh [LINES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
lines=${1:-2000000}
build_windows
python3 "$root/bench/make_traffic.py" talks "$lines" "$work/talks.txt"
run_module memory "$work/talks.txt" "$lines"
grep '^memory' <<<"$module_output"
echo "shown in $seconds s, $(lines_per_second "$lines" "$seconds") lines/s"
