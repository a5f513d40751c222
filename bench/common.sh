# Sourced by the bench scripts: builds the Windows programs once, starts an
# X display when there is none, and runs the module's side of a benchmark
# against bench/traffic_peer.py.
#
# BENCH_ARCH=32 or 64 picks the build (default: 32-bit where this machine
# runs 32-bit programs, else 64-bit); each script says which it measured.
# BENCH_BIN picks the directory the module and chat_bench.exe run from
# (default the build's bin/), so an older build can be measured the same way.
# BENCH_PREFIX gives the run a Wine prefix of its own (default the build's):
# the end of a run stops every program of its prefix.
# BENCH_TLS=CERT_DIR (set by with_tls) serves the traffic over TLS on port
# 6697 with that folder's certificates; Wine then runs in a prefix of its own.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/tools/archs.sh"
if [ -z "${BENCH_ARCH:-}" ]; then
    BENCH_ARCH=64
    runs_32bit_programs && BENCH_ARCH=32
fi
build=$(arch_build_dir "$BENCH_ARCH")
bin=${BENCH_BIN:-$build/bin}
work=$(mktemp -d /tmp/talvo-bench.XXXXXX)
prefix=${BENCH_PREFIX:-$build/wineprefix}
# A Wine started where the test authority is trusted must not be one that
# has read the machine's CA bundle.
[ -z "${BENCH_TLS:-}" ] || prefix=$work/wineprefix
echo "bench: the $BENCH_ARCH-bit module${BENCH_TLS:+, over TLS}"

# A directory given by BENCH_BIN is measured as it is.
build_windows() {
    [ -z "${BENCH_BIN:-}" ] || return 0
    configure_arch "$BENCH_ARCH"
    cmake --build "$build" -j"$(nproc)" --target chat_bench start_time line_cost >/dev/null
}

source "$root/tools/xvfb.sh"
bench_cleanup() {
    [ -n "${peer_pid:-}" ] && kill "$peer_pid" 2>/dev/null || true
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    stop_xvfb
    rm -rf "$work"
}
trap bench_cleanup EXIT
[ -n "${DISPLAY:-}" ] || start_xvfb

wine_run() {
    (cd "$bin" && "$root/tools/wine-run.sh" --prefix "$prefix" "$@")
}

# run_module WHAT TRAFFIC [ARG]: serves TRAFFIC to chat_bench.exe WHAT and
# sets $seconds (first byte sent to last line shown) and $module_output.
run_module() {
    local what=$1 traffic=$2
    shift 2
    rm -f "$work/port"
    python3 "$root/bench/traffic_peer.py" ${BENCH_TLS:+--tls "$BENCH_TLS"} "$traffic" "$work/port" \
            >"$work/peer.out" &
    peer_pid=$!
    module_output=$(wine_run ./chat_bench.exe "$what" "$(winepath_of "$work/port")" "$@")
    wait "$peer_pid" || true
    peer_pid=
    local first done
    first=$(awk '/^first-byte/ { print $2 }' "$work/peer.out")
    [ "$what" != handshake ] || first=$(awk '/^start/ { print $2 }' <<<"$module_output")
    done=$(awk '/^done/ { print $2 }' <<<"$module_output")
    [ -n "$first" ] && [ -n "$done" ] || { echo "no timing: $module_output" >&2; return 1; }
    seconds=$(python3 -c "print('%.3f' % ($done - $first))")
}

# Wine sees the Unix root as drive Z:.
winepath_of() {
    echo "Z:${1//\//\\}"
}

# lines_per_second LINES SECONDS
lines_per_second() {
    python3 -c "print('%.0f' % ($1 / $2))"
}

# run_burst LINES [HELD] [--profile]: the burst of make_traffic.py to the
# module, into a channel already showing HELD lines (default none); prints the
# module's figure line and leaves the traffic in $work/burst.txt.
run_burst() {
    local lines=$1 held=0
    shift
    if [[ ${1:-} =~ ^[0-9]+$ ]]; then
        held=$1
        shift
    fi
    python3 "$root/bench/make_traffic.py" burst "$lines" "$work/burst.txt"
    if [ "$held" -gt 0 ]; then
        python3 "$root/bench/make_traffic.py" held "$held" "$work/held.txt"
        BENCH_HELD_FILE=$work/held.txt run_module burst "$work/burst.txt" "$@"
    else
        run_module burst "$work/burst.txt" "$@"
    fi
    local after=""
    [ "$held" -eq 0 ] || after=" into a channel showing $held"
    echo "module: $lines lines$after in $seconds s, $(lines_per_second "$lines" "$seconds") lines/s"
}

# with_tls "$0" "$@": when the script's first argument is --tls, runs the
# script again (without it, BENCH_TLS set) where a test authority made now
# is trusted (tools/tls/trust-test-authority.sh, needs root), and exits with
# its status.
with_tls() {
    local script=$1
    shift
    [ "${1:-}" = --tls ] && [ -z "${BENCH_TLS:-}" ] || return 0
    shift
    local certs status=0
    certs=$(mktemp -d /tmp/talvo-bench-tls.XXXXXX)
    "$root/tools/tls/make-certificates.sh" "$certs"
    BENCH_TLS=$certs "$root/tools/tls/trust-test-authority.sh" "$certs" "$script" "$@" || status=$?
    rm -rf "$certs"
    exit $status
}
