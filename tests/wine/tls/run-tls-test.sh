#!/usr/bin/env bash
# Runs the Wine test of TLS (tls_test.exe) against tls_peer.py where a test
# authority made now is trusted (tools/tls/trust-test-authority.sh), with a
# fresh Wine prefix that exists only for this run.
#
#   run-tls-test.sh PROGRAM [ARGS...]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../../..")
program=$(realpath "$1")
shift
scratch=$(mktemp -d /tmp/talvo-tls.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
"$root/tools/tls/make-certificates.sh" "$scratch/certs"

# Inside the namespace: the peer on 6697 and 7000 (its control line on 17675), then
# the test, then Wine is stopped before the namespace goes.
inside() {
    python3 "$here/tls_peer.py" "$scratch/certs" 17675 6697 7000 >"$scratch/peer.log" 2>&1 &
    local peer=$! status=0
    for _ in $(seq 100); do grep -q ready "$scratch/peer.log" && break; sleep 0.05; done
    (cd "$(dirname "$program")" && "$root/tools/wine-run.sh" --prefix "$scratch/prefix" "$program" "$@") ||
        status=$?
    WINEPREFIX="$scratch/prefix" wineserver -k 2>/dev/null || true
    kill "$peer" 2>/dev/null || true
    [ -f "$scratch/prefix.display" ] && kill "$(cut -d' ' -f2 "$scratch/prefix.display")" 2>/dev/null || true
    return $status
}
export -f inside
export here root program scratch
"$root/tools/tls/trust-test-authority.sh" "$scratch/certs" bash -c 'inside "$@"' _ "$@"
