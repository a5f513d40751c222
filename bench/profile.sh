#!/usr/bin/env bash
# Figure 5: where the time of the burst goes. The window's thread is sampled
# once a millisecond during the burst of bench/burst.sh, and each sample is
# counted in the module (DLL) it falls in.
#   bench/profile.sh [LINES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
lines=${1:-20000}
build_windows
run_burst "$lines" --profile >/dev/null
grep '^profile:' <<<"$module_output"
echo "profiled: $lines lines in $seconds s, $(lines_per_second "$lines" "$seconds") lines/s"
