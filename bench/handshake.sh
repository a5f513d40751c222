#!/usr/bin/env bash
# The TLS handshake on loopback: from the click on "Зайти" (to localhost on
# port 6697) until the server tab says the connection is encrypted and the
# certificate checked; the name lookup, the TCP connect, the handshake and
# the certificate's check. Median, least and most of RUNS runs (default 7),
# each a fresh host. Needs root (the test authority is trusted in a
# namespace of its own, see with_tls).
#   bench/handshake.sh [RUNS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
with_tls "$0" --tls "$@"
runs=${1:-7}
build_windows
: >"$work/empty.txt"
times=()
for _ in $(seq "$runs"); do
    run_module handshake "$work/empty.txt"
    times+=("$seconds")
done
python3 - "${times[@]}" <<'PY'
import statistics, sys
ms = sorted(float(t) * 1000 for t in sys.argv[1:])
print(f"handshake: median {statistics.median(ms):.0f} ms ({ms[0]:.0f}-{ms[-1]:.0f}) over {len(ms)} runs: "
      + " ".join(f"{t:.0f}" for t in ms))
PY
