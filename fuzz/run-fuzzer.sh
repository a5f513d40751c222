#!/usr/bin/env bash
# Runs a fuzzer for a while on a scratch corpus seeded from the repository's,
# and prints how many inputs it executed.
#   run-fuzzer.sh FUZZER WORKDIR SEEDDIR SECONDS
set -euo pipefail
fuzzer=$1 work=$2 seeds=$3 seconds=$4
mkdir -p "$work"
log="$work.log"
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$work" "$seeds" > "$log" 2>&1 || {
    tail -n 60 "$log"
    exit 1
}
grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$log" || true
