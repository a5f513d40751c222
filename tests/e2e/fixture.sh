#!/usr/bin/env bash
# CTest fixtures of the end-to-end tests: a fresh run folder with its servers,
# on loopback, through the project's server scripts.
#
#   fixture.sh start RUNDIR ngircd|inspircd [atheme]   (atheme: NickServ linked to it)
#   fixture.sh stop RUNDIR
#
# Ports come from NGIRCD_PORT, INSPIRCD_PORT and INSPIRCD_LINK_PORT.
set -euo pipefail
servers="$(cd "$(dirname "$0")/../../tools/servers" && pwd)/irc-servers.sh"
# The servers install to /usr/sbin, which a user's PATH may lack.
export PATH=$PATH:/usr/sbin

fail() { echo "e2e fixture: $*" >&2; exit 1; }

case ${1:-} in
start)
    [ $# -ge 3 ] || fail "usage: $0 start RUNDIR ngircd|inspircd [atheme]"
    rundir=$2 ircd=$3 services=${4:-}
    # Whatever an interrupted run left behind goes first.
    [ ! -d "$rundir" ] || "$servers" stop "$rundir" >/dev/null || true
    rm -rf "$rundir"
    mkdir -p "$rundir"
    programs=("$ircd")
    [ -z "$services" ] || programs+=(atheme-services)
    for program in "${programs[@]}"; do
        command -v "$program" >/dev/null ||
            fail "$program is not installed (tools/install-deps.sh installs it)"
    done
    if ! "$servers" start "$ircd" "$rundir" ||
       { [ -n "$services" ] && ! "$servers" start atheme "$rundir" "$ircd"; }; then
        "$servers" stop "$rundir" || true
        fail "cannot start $ircd${services:+ with NickServ} in $rundir"
    fi ;;
stop)
    [ $# -ge 2 ] || fail "usage: $0 stop RUNDIR"
    [ ! -d "$2" ] || "$servers" stop "$2" ;;
*)
    fail "usage: $0 start RUNDIR ngircd|inspircd [atheme] | stop RUNDIR" ;;
esac
