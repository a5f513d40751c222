#!/usr/bin/env bash
# The main job: builds the module and shows a chat window logged in to a
# local IRC server (ngircd on 127.0.0.1), under Wine.
#   ./run.sh [seconds]    with seconds, the window closes by itself and a
#                         screenshot is left in build/run/screenshot.png
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
seconds=${1:-0}

tools/install-deps.sh ngircd imagemagick

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/win -j"$(nproc)" --target smoke_host

rundir=$root/build/run
mkdir -p "$rundir"
export NGIRCD_PORT=${NGIRCD_PORT:-16667}
tools/servers/irc-servers.sh start ngircd "$rundir"
source tools/xvfb.sh
cleanup() {
    tools/servers/irc-servers.sh stop "$rundir" || true
    stop_xvfb
}
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || start_xvfb

if [ "$seconds" -gt 0 ]; then
    (sleep $((seconds > 3 ? seconds - 2 : 1)); import -window root -display "$DISPLAY" "$rundir/screenshot.png" 2>/dev/null &&
        echo "screenshot: $rundir/screenshot.png") &
fi
tools/wine-run.sh --prefix "$root/build/win/wineprefix" build/win/bin/smoke_host.exe \
    127.0.0.1 "$NGIRCD_PORT" demo "$seconds"
