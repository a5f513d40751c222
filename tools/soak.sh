#!/usr/bin/env bash
# Builds the Windows programs and soaks one chat window under Wine with a
# seeded stream of server lines. Not part of test.sh.
#   tools/soak.sh [LINES] [SEED] [32|64]   defaults: 200000, 1, and the
#   32-bit build where this machine runs 32-bit programs, else the 64-bit one
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lines=${1:-200000}
seed=${2:-1}
source "$root/tools/archs.sh"
bits=${3:-}
if [ -z "$bits" ]; then
    bits=64
    runs_32bit_programs && bits=32
fi
build=$(arch_build_dir "$bits")
echo "soak: the $bits-bit module"

configure_arch "$bits"
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
