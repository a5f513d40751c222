#!/usr/bin/env bash
# Installs what is missing, builds the DLL and its tests (cross, run under
# Wine) and the pure logic natively (sanitizers, fuzzer), and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
jobs=$(nproc)

tools/install-deps.sh

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/win -j"$jobs"

CXX=clang++ cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug
cmake --build build/native -j"$jobs"

# One X server for all the Wine tests; stopped with Wine when we are done.
source tools/xvfb.sh
start_xvfb
trap 'WINEPREFIX="$root/build/win/wineprefix" wineserver -k 2>/dev/null || true; stop_xvfb' EXIT

status=0
(cd build/native && ctest --output-on-failure) || status=1
for log in build/native/fuzz/*_corpus.log; do
    if [ -f "$log" ]; then echo "fuzzer $(basename "$log" _corpus.log): $(grep -h '^Done [0-9]* runs' "$log")"; fi
done
(cd build/win && ctest -j2 --output-on-failure) || status=1
# Pictures of every panel, to look at: out/screenshots/.
tools/screenshots.sh build/win || status=1
exit $status
