#!/usr/bin/env bash
# Installs what is missing, builds the module and its tests for 32-bit and
# 64-bit Windows (cross, run under Wine) and the pure logic natively
# (sanitizers, fuzzer), and runs every test.
#
# The whole Windows suite runs for each architecture this machine can run;
# a build it cannot run is still checked as a file (kind, exports, imports).
# TALVO_ARCHS=32 or TALVO_ARCHS=64 runs the suite of one architecture only.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
jobs=$(nproc)

tools/install-deps.sh
source tools/archs.sh
choose_archs

for bits in 32 64; do
    configure_arch $bits
    cmake --build "$(arch_build_dir $bits)" -j"$jobs"
done

CXX=clang++ cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug
cmake --build build/native -j"$jobs"

# One X server for all the Wine tests; stopped with Wine when we are done.
source tools/xvfb.sh
start_xvfb
trap 'kill_wineservers; stop_xvfb' EXIT

status=0
(cd build/native && ctest --output-on-failure) || status=1
for log in build/native/fuzz/*_corpus.log; do
    if [ -f "$log" ]; then echo "fuzzer $(basename "$log" _corpus.log): $(grep -h '^Done [0-9]* runs' "$log")"; fi
done

summary=()
for bits in 32 64; do
    build=$(arch_build_dir $bits)
    if [[ " $run_archs " == *" $bits "* ]]; then
        echo "== $bits-bit Windows suite"
        if (cd "$build" && ctest -j2 --output-on-failure); then
            summary+=("$bits-bit: suite passed ($(cd "$build" && ctest -N | awk '/^Total Tests:/ { print $3 }') tests)")
        else
            summary+=("$bits-bit: suite FAILED")
            status=1
        fi
    else
        echo "== $bits-bit Windows DLL, checked as a file only"
        (cd "$build" && ctest -R '^dll_file$' --output-on-failure) || status=1
    fi
done
[ -n "$skipped_archs_note" ] && summary+=("$skipped_archs_note; its DLL was built and checked as a file")

# Pictures of every panel, to look at: out/screenshots/, from the first
# architecture that ran.
if [ -n "$run_archs" ]; then
    tools/screenshots.sh "$(arch_build_dir "${run_archs%% *}")" || status=1
else
    summary+=("no Windows suite ran")
    status=1
fi

printf '%s\n' "${summary[@]}"
exit $status
