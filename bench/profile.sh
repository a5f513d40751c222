#!/usr/bin/env bash
# Figure 5: where the time goes. The window's thread is sampled once a
# millisecond while the traffic is shown, and each sample is counted in the
# module (DLL) and the function it falls in. The traffic is the burst of
# bench/burst.sh, or with "talks" that of bench/talks.sh.
#   bench/profile.sh [talks] [LINES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
kind=burst
if [ "${1:-}" = talks ]; then
    kind=talks
    shift
fi
lines=${1:-20000}
build_windows
if [ "$kind" = talks ]; then
    python3 "$root/bench/make_traffic.py" talks "$lines" "$work/talks.txt"
    run_module burst "$work/talks.txt" --profile
else
    run_burst "$lines" --profile >/dev/null
fi
grep '^profile:' <<<"$module_output"
python3 "$root/bench/name_samples.py" 30 <<<"$module_output"
echo "profiled: $kind, $lines lines in $seconds s, $(lines_per_second "$lines" "$seconds") lines/s"
