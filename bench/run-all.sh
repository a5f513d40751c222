#!/usr/bin/env bash
# Every benchmark, one after the other, each printing its figure last.
# Installs what is missing first (as root on a fresh Debian machine).
#   bench/run-all.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
for bench in burst peers names memory start profile; do
    echo "== $bench"
    "$root/bench/$bench.sh"
done
