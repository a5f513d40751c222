#!/usr/bin/env python3
"""A loopback IRC server for the benchmarks: welcomes one client of any kind,
and once it has joined #marketbay sends a traffic file at once.

  traffic_peer.py [--tls CERT_DIR] FILE [PORT_FILE]

Listens on 127.0.0.1 at a free port and writes the port to PORT_FILE (or
prints it). With --tls it listens on the TLS port, 6697, and speaks TLS with
CERT_DIR's localhost certificate (tools/tls/make-certificates.sh). Answers CAP, NICK/USER (001 to 004 and an empty MOTD), JOIN of
#marketbay (the JOIN echo, 353 with the client alone, 366), PING and MODE.
After the JOIN it sends FILE in one go and prints "first-byte EPOCH" with the
wall-clock time of the first byte, then stays until the client leaves.

With BENCH_HELD_FILE set, that file goes first, followed by a PING; FILE
goes (and its time is taken) once the client's PONG shows it has shown all
of it: the burst meets a conversation already holding those lines.
"""
import os
import socket
import ssl
import sys
import time

CHANNEL = "#marketbay"
TLS_PORT = 6697


def main(argv):
    tls = None
    if len(argv) > 2 and argv[1] == "--tls":
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls.load_cert_chain(f"{argv[2]}/localhost.pem", f"{argv[2]}/localhost.key")
        argv = argv[:1] + argv[3:]
    if len(argv) not in (2, 3):
        sys.exit(__doc__)
    traffic = open(argv[1], "rb").read()
    held_file = os.environ.get("BENCH_HELD_FILE")
    held = open(held_file, "rb").read() if held_file else None
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", TLS_PORT if tls else 0))
    listener.listen(1)
    port = str(listener.getsockname()[1])
    if len(argv) == 3:
        with open(argv[2], "w") as f:
            f.write(port + "\n")
    else:
        print(port, flush=True)
    listener.settimeout(120)
    client, _ = listener.accept()
    # Long enough for a two-million-line run at a few hundred lines a second.
    client.settimeout(4 * 3600)
    if tls:
        client = tls.wrap_socket(client, server_side=True)
    nick = "bencher"
    pending = b""
    sent = False

    def send(text):
        client.sendall((text + "\r\n").encode("cp1251"))

    def send_traffic():
        print("first-byte %.6f" % time.time(), flush=True)
        client.sendall(traffic)
        print("last-byte %.6f" % time.time(), flush=True)

    while True:
        data = client.recv(4096)
        if not data:
            break
        pending += data
        while b"\n" in pending:
            raw, pending = pending.split(b"\n", 1)
            words = raw.decode("cp1251", "replace").strip("\r").split(" ")
            command = words[0].upper()
            if command == "CAP" and len(words) > 1 and words[1].upper() == "LS":
                send(":irc.bench CAP * LS :")
            elif command == "NICK" and len(words) > 1:
                nick = words[1].lstrip(":")
            elif command == "USER":
                for number, text in (("001", ":Welcome"), ("002", ":Your host is irc.bench"),
                                     ("003", ":Created today"), ("004", "irc.bench bench o o"),
                                     ("422", ":MOTD File is missing")):
                    send(":irc.bench %s %s %s" % (number, nick, text))
            elif command == "PING":
                send(":irc.bench PONG irc.bench " + " ".join(words[1:]))
            elif command == "MODE" and len(words) > 1 and words[1] == CHANNEL:
                send(":irc.bench 324 %s %s +nt" % (nick, CHANNEL))
            elif command == "JOIN" and len(words) > 1 and not sent and CHANNEL in words[1].lstrip(":").split(","):
                send(":%s!u@127.0.0.1 JOIN :%s" % (nick, CHANNEL))
                send(":irc.bench 353 %s = %s :%s" % (nick, CHANNEL, nick))
                send(":irc.bench 366 %s %s :End of /NAMES list." % (nick, CHANNEL))
                if held:
                    client.sendall(held)
                    send("PING :held-end")
                else:
                    send_traffic()
                sent = True
            elif command == "PONG" and held and "held-end" in raw.decode("ascii", "replace"):
                send_traffic()
            elif command == "QUIT":
                return


if __name__ == "__main__":
    main(sys.argv)
