#!/usr/bin/env bash
# The end-to-end scenario over TLS (scenarios.py --scenario tls): ngircd with
# a plain port and the TLS port, NickServ linked on a port of its own, all in
# a namespace where a test authority made now is trusted
# (tools/tls/trust-test-authority.sh), with a Wine prefix that exists only for
# this run. Needs root.
#
#   tls-e2e.sh BUILD SOURCE WORKDIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
workdir=$3
rm -rf "$workdir"
mkdir -p "$workdir/servers/ngircd.conf.d"
workdir=$(realpath "$workdir")
"$source/tools/tls/make-certificates.sh" "$workdir/certs"
cat >"$workdir/servers/ngircd.conf.d/tls.conf" <<EOF
[SSL]
	CertFile = $workdir/certs/localhost.pem
	KeyFile = $workdir/certs/localhost.key
	Ports = 6697
EOF

# Inside the namespace: the servers, the scenario, then Wine and the
# servers are stopped before the namespace goes.
inside() {
    local servers=$source/tools/servers/irc-servers.sh status=0
    export NGIRCD_PORT=17676 NGIRCD_LINK_PORT=17677
    if "$servers" start ngircd "$workdir/servers" && "$servers" start atheme "$workdir/servers" ngircd; then
        python3 "$source/tests/e2e/scenarios.py" --scenario tls --server ngircd --port "$NGIRCD_PORT" \
                --tls-port 6697 --authority "$workdir/certs/ca.pem" --prefix "$workdir/prefix" \
                --build "$build" --source "$source" --workdir "$workdir/scenario" || status=$?
    else
        status=1
    fi
    WINEPREFIX="$workdir/prefix" wineserver -k 2>/dev/null || true
    "$servers" stop "$workdir/servers" >/dev/null
    [ -f "$workdir/prefix.display" ] && kill "$(cut -d' ' -f2 "$workdir/prefix.display")" 2>/dev/null || true
    return $status
}
export -f inside
export build source workdir
"$source/tools/tls/trust-test-authority.sh" "$workdir/certs" bash -c inside
