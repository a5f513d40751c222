#!/usr/bin/env bash
# Builds the Windows programs and soaks one chat window under Wine with a
# seeded stream of server lines. Not part of test.sh.
#   tools/soak.sh [LINES] [SEED] [BUILD_DIR]   defaults: 200000 1 build/win
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lines=${1:-200000}
seed=${2:-1}
build=${3:-$root/build/win}
mkdir -p "$build"
build=$(cd "$build" && pwd)

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target soak -j2

source "$root/tools/xvfb.sh"
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    trap 'WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
fi
cd "$build/bin"
status=0
"$root/tools/wine-run.sh" --prefix "$build/wineprefix" ./soak.exe "$lines" "$seed" || status=$?
# A crash ends the program before its verdict line.
[ $status -eq 0 ] || echo "soak: exit status $status"
exit $status
