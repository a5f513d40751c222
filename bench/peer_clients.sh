#!/usr/bin/env bash
# Times how fast two real IRC clients from Debian, irssi (in tmux) and HexChat
# (under X), take in a burst of server traffic, to set beside the module.
#   bench/peer_clients.sh TRAFFIC_FILE LINES
# TRAFFIC_FILE comes from `make_traffic.py burst LINES FILE`. Each client is
# timed from the peer's first byte until "burst-end" reaches its log.
set -euo pipefail
[ $# -eq 2 ] || { sed -n 2,6p "$0" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
traffic=$(realpath "$1")
lines=$2

need() { # PROGRAM PACKAGE
    command -v "$1" >/dev/null && return
    [ "$(id -u)" -eq 0 ] || { echo "$1 is missing: install the Debian package $2" >&2; exit 1; }
    apt-get install -y -q --no-install-recommends "$2" >&2 ||
        { apt-get update -q >&2 && apt-get install -y -q --no-install-recommends "$2" >&2; }
}
need python3 python3; need irssi irssi; need tmux tmux; need Xvfb xvfb; need hexchat hexchat

work=$(mktemp -d)
source "$root/tools/xvfb.sh"
stop_client=true
peer_pid=
cleanup() {
    $stop_client
    stop_peer
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

start_peer() { # DIR; sets port
    python3 "$root/bench/traffic_peer.py" "$traffic" "$1/port" > "$1/peer.out" &
    peer_pid=$!
    for _ in $(seq 500); do [ -s "$1/port" ] && break; sleep 0.01; done
    port=$(cat "$1/port")
}

# The peer leaves once the client quits or hangs up; a stuck one is ended.
stop_peer() {
    [ -n "$peer_pid" ] || return 0
    for _ in $(seq 50); do kill -0 "$peer_pid" 2>/dev/null || break; sleep 0.1; done
    kill "$peer_pid" 2>/dev/null || true
    wait "$peer_pid" 2>/dev/null || true
    peer_pid=
}

# Prints the figure line, or a failure line and fails. The 10 ms poll may
# see the end up to that late: noise at 2,000 lines, not at 20,000.
time_client() { # NAME DIR LOGDIR
    python3 - "$@" "$lines" <<'EOF'
import os, sys, time
name, folder, logs, lines = sys.argv[1:]
deadline = time.time() + 120
read, tails, done = {}, {}, None

def first_byte():
    for line in open(os.path.join(folder, "peer.out")):
        if line.startswith("first-byte "):
            return float(line.split()[1])

while done is None and time.time() < deadline:
    for entry in os.listdir(logs) if os.path.isdir(logs) else ():
        path = os.path.join(logs, entry)
        with open(path, "rb") as f:
            f.seek(read.get(path, 0))
            chunk = f.read()
        read[path] = read.get(path, 0) + len(chunk)
        # The marker may straddle two reads.
        seen = tails.get(path, b"") + chunk
        if b"burst-end" in seen:
            done = time.time()
        tails[path] = seen[-8:]
    time.sleep(0.01)
start = first_byte()
if done is None:
    print("%s: FAILED, %s within 120 s" % (
        name, "no burst-end in its log" if start else "never joined #marketbay"))
    sys.exit(1)
print("%s: %s lines in %.2f s, %d lines/s" % (name, lines, done - start, round(int(lines) / (done - start))))
EOF
}

# irssi decodes the peer's CP1251 and writes its log straight through
# (write_buffer_size 0), not in batches.
irssi_dir=$work/irssi
mkdir -p "$irssi_dir/home" "$irssi_dir/logs"
start_peer "$irssi_dir"
cat > "$irssi_dir/home/config" <<EOF
servers = ({ address = "127.0.0.1"; port = "$port"; chatnet = "bench"; autoconnect = "yes"; use_tls = "no"; });
chatnets = { bench = { type = "IRC"; nick = "bencher"; }; };
channels = ({ name = "#marketbay"; chatnet = "bench"; autojoin = "yes"; });
settings = {
  core = { real_name = "bencher"; user_name = "bencher"; nick = "bencher"; settings_autosave = "no";
           recode_fallback = "CP1251"; write_buffer_size = "0"; };
  "fe-common/core" = { autolog = "yes"; autolog_path = "$irssi_dir/logs/\$0.log"; };
};
EOF
tmux_sock=$irssi_dir/tmux.sock
stop_irssi() {
    tmux -S "$tmux_sock" send-keys -t bench "/quit" Enter 2>/dev/null || true
    for _ in $(seq 50); do tmux -S "$tmux_sock" has-session -t bench 2>/dev/null || break; sleep 0.1; done
    tmux -S "$tmux_sock" kill-server 2>/dev/null || true
}
stop_client=stop_irssi
tmux -S "$tmux_sock" new-session -d -s bench -x 160 -y 60 "irssi --home=$irssi_dir/home"
irssi_line=$(time_client irssi "$irssi_dir" "$irssi_dir/logs") || { echo "$irssi_line"; exit 1; }
stop_irssi; stop_client=true; stop_peer

# HexChat: no server list, no plugins, no session bus to autolaunch. Its log
# grows as lines come in, not at exit, so it times like irssi's.
hex_dir=$work/hexchat
mkdir -p "$hex_dir/config"
start_peer "$hex_dir"
cat > "$hex_dir/config/hexchat.conf" <<EOF
gui_slist_skip = 1
irc_nick1 = bencher
irc_logging = 1
irc_logmask = %c.log
EOF
# F=10: use the global nick, connect at start; no proxy, no TLS.
printf 'v=2.16\n\nN=bench\nE=CP1251\nF=10\nD=0\nS=127.0.0.1/%s\nJ=#marketbay\n' "$port" \
    > "$hex_dir/config/servlist.conf"
# As root HexChat stops on a modal warning before it connects, so it runs as
# nobody then.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chmod 711 "$work"
    chown -R nobody:nogroup "$hex_dir"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
[ -n "${DISPLAY:-}" ] || start_xvfb
HOME=$hex_dir DBUS_SESSION_BUS_ADDRESS=disabled: NO_AT_BRIDGE=1 \
    "${as_user[@]}" hexchat -n -d "$hex_dir/config" > "$hex_dir/hexchat.out" 2>&1 &
hex_pid=$!
stop_hexchat() { kill "$hex_pid" 2>/dev/null || true; wait "$hex_pid" 2>/dev/null || true; }
stop_client=stop_hexchat
hex_line=$(time_client hexchat "$hex_dir" "$hex_dir/config/logs") || { echo "$irssi_line"; echo "$hex_line"; exit 1; }
stop_hexchat; stop_client=true; stop_peer

echo "$irssi_line"
echo "$hex_line"
