#!/usr/bin/env bash
# The main job: builds the module and opens the demo host under Wine with a
# chat window logged in to a local IRC server (ngircd on 127.0.0.1).
#
#   ./run.sh [NICK...]   one chat window per nick (default: one, "demo")
#
# With an X display the host stays open until you close it. Without one it
# runs on a private Xvfb, saves a screenshot to out/chat-window.png and leaves.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
nicks=$(IFS=,; echo "${*:-demo}")

tools/install-deps.sh ngircd x11-utils

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/win -j"$(nproc)" --target demo_host

rundir=$root/build/run
mkdir -p "$rundir" out
export NGIRCD_PORT=${NGIRCD_PORT:-16667}
tools/servers/irc-servers.sh start ngircd "$rundir"
source tools/xvfb.sh
cleanup() {
    tools/servers/irc-servers.sh stop "$rundir" >/dev/null || true
    stop_xvfb
}
trap cleanup EXIT

host=("$root/tools/wine-run.sh" --prefix "$root/build/win/wineprefix" ./demo_host.exe
      --server 127.0.0.1 --port "$NGIRCD_PORT" --nick "$nicks")
if [ -n "${DISPLAY:-}" ]; then
    (cd build/win/bin && "${host[@]}")
    exit 0
fi

start_xvfb
(cd build/win/bin && "${host[@]}" --seconds 15) &
hostpid=$!
# Wine's first start in a new prefix takes a while; wait for the window.
for _ in $(seq 120); do
    xwininfo -name "Talvo IRC" >/dev/null 2>&1 && break
    sleep 0.5
done
sleep 4
import-im6.q16 -display "$DISPLAY" -window root "$root/out/chat-window.png"
echo "screenshot: out/chat-window.png"
wait "$hostpid" || true
