#!/usr/bin/env bash
# Figure 4a: the host's committed private memory while a logged-in chat
# window shows 1,000,000 coloured channel lines: before, after a fifth of
# them, at the end and at its peak. The scrollback's bound keeps it flat.
#   bench/memory.sh [LINES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
lines=${1:-1000000}
build_windows
python3 "$root/bench/make_traffic.py" burst "$lines" "$work/burst.txt"
run_module memory "$work/burst.txt" "$lines"
grep '^memory' <<<"$module_output"
echo "shown in $seconds s"
