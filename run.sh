#!/usr/bin/env bash
# The main job: builds the module and opens the demo host under Wine with a
# chat window logged in to a local IRC server (ngircd on 127.0.0.1).
#
#   ./run.sh [--arch 32|64] [NICK...]   one chat window per nick (default: one, "demo")
#
# The 32-bit host runs where this machine runs 32-bit programs, the 64-bit
# one elsewhere; --arch picks. With an X display the host stays open until
# you close it. Without one it runs on a private Xvfb, saves a screenshot to
# out/chat-window.png and leaves; it fails, saying why, unless the chat
# window really showed and reached the channel.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

bits=""
if [ "${1:-}" = "--arch" ]; then
    bits=${2:-}
    shift 2 || true
    if [ "$bits" != 32 ] && [ "$bits" != 64 ]; then
        echo "usage: $0 [--arch 32|64] [NICK...]" >&2
        exit 2
    fi
fi
nicks=$(IFS=,; echo "${*:-demo}")
windows=$(awk -F, '{ print NF }' <<<"$nicks")

tools/install-deps.sh ngircd x11-utils
source tools/archs.sh
if [ -z "$bits" ]; then
    if runs_32bit_programs; then
        bits=32
    else
        bits=64
        echo "run.sh: $arch_32_reason"
    fi
elif [ "$bits" = 32 ] && ! runs_32bit_programs; then
    echo "run.sh: cannot run the 32-bit host: $arch_32_reason" >&2
    exit 1
fi
echo "run.sh: the $bits-bit demo host and DLL"

build=$(arch_build_dir "$bits")
configure_arch "$bits"
cmake --build "$build" -j"$(nproc)" --target demo_host

rundir=$root/build/run
mkdir -p "$rundir" out
export NGIRCD_PORT=${NGIRCD_PORT:-16667}
tools/servers/irc-servers.sh start ngircd "$rundir"
source tools/xvfb.sh
cleanup() {
    [ -n "${hostpid:-}" ] && kill "$hostpid" 2>/dev/null || true
    tools/servers/irc-servers.sh stop "$rundir" >/dev/null || true
    WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
    stop_xvfb
}
trap cleanup EXIT

host=("$root/tools/wine-run.sh" --prefix "$build/wineprefix" ./demo_host.exe
      --server 127.0.0.1 --port "$NGIRCD_PORT" --nick "$nicks")
if [ -n "${DISPLAY:-}" ]; then
    (cd "$build/bin" && "${host[@]}")
    exit
fi

fail() {
    echo "run.sh: $*" >&2
    sed 's/^/  host: /' "$log" >&2
    exit 1
}

start_xvfb
log=$rundir/demo_host.log
(cd "$build/bin" && exec "${host[@]}" --seconds 20) >"$log" 2>&1 &
hostpid=$!

# Wine's first start in a new prefix takes a while; wait for the window and
# for every chat window to reach the channel.
for _ in $(seq 240); do
    kill -0 "$hostpid" 2>/dev/null || fail "the demo host ended before its chat windows reached the channel"
    joined=$(grep -c '^chat window [0-9]*: on the channel' "$log" || true)
    [ "$joined" -ge "$windows" ] && break
    sleep 0.5
done
xwininfo -name "Talvo IRC" >/dev/null 2>&1 || fail "no window named \"Talvo IRC\" on the display"
[ "$joined" -ge "$windows" ] || fail "$joined of $windows chat windows reached the channel"

sleep 2
import-im6.q16 -display "$DISPLAY" -window root "$root/out/chat-window.png"
# A picture of one colour means nothing was drawn.
spread=$(convert-im6.q16 "$root/out/chat-window.png" -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.01) }' || fail "the screenshot shows nothing (one colour)"
echo "run.sh: $windows chat window(s) on #marketbay; screenshot: out/chat-window.png"
wait "$hostpid" || fail "the demo host failed (exit status $?)"
hostpid=
