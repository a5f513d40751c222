#!/usr/bin/env bash
# Runs a command where the test authority of DIR (make-certificates.sh) is
# trusted, and nowhere else: Wine takes its roots from the machine's CA
# bundle, so a private mount namespace lays DIR/bundle.crt over it. The
# namespace has a network of its own too, so that its servers listen on the
# registered TLS port 6697 of a loopback nobody else shares. Needs root.
# The command must start Wine afresh (its own prefix and wineserver): one
# started outside has read the machine's bundle.
#
#   trust-test-authority.sh DIR COMMAND [ARGS...]
set -euo pipefail
dir=$(realpath "$1")
shift
exec unshare --mount --net --propagation private bash -c '
    set -e
    mount --bind "$0/bundle.crt" /etc/ssl/certs/ca-certificates.crt
    ip link set lo up
    exec "$@"' "$dir" "$@"
