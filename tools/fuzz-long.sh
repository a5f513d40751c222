#!/usr/bin/env bash
# Long libFuzzer runs, one target after another on one core; prints each
# target's executions and final coverage. Not part of test.sh.
#   tools/fuzz-long.sh [BUILD_DIR] [SECONDS] [TARGET...]
# BUILD_DIR defaults to build/native, SECONDS to 600, the targets to all of
# fuzz/'s. Scratch corpora and logs go to BUILD_DIR/fuzz-long/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/native}
seconds=${2:-600}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(line_fuzzer tokens_fuzzer format_walk_fuzzer pieces_fuzzer send_queue_fuzzer)

out="$build/fuzz-long"
mkdir -p "$out"
status=0
for target in "${targets[@]}"; do
    seeds="$root/fuzz/corpus/${target%_fuzzer}"
    work="$out/$target"
    log="$out/$target.log"
    mkdir -p "$work"
    echo "== $target: ${seconds}s"
    if ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/$target" -max_total_time="$seconds" \
           -print_final_stats=1 -artifact_prefix="$out/$target-" "$work" "$seeds" > "$log" 2>&1; then
        result=clean
    else
        result="FAILED (see $log)"
        status=1
    fi
    # The last status line carries the final coverage figures.
    grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [^ ]+' || true
    grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$log" || true
    echo "$target: $result"
done
exit $status
