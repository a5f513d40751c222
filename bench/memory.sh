#!/usr/bin/env bash
# Figure 4a: the host's committed private memory before a logged-in chat
# window receives 100,000 coloured channel lines and after they are shown,
# and the growth per line.
#   bench/memory.sh [LINES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
lines=${1:-100000}
build_windows
python3 "$root/bench/make_traffic.py" burst "$lines" "$work/burst.txt"
run_module memory "$work/burst.txt" "$lines"
grep '^memory' <<<"$module_output"
