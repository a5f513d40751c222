#!/usr/bin/env python3
"""A TLS IRC server on loopback for the Wine tests of the client's TLS.

    tls_peer.py CERT_DIR CONTROL_PORT TLS_PORT...

The test names a scenario for the next connection, to any of the TLS ports,
on the control port (one line) and reads back one line once that connection has ended: what the
client sent after the handshake ("appdata N" bytes; of an accepted
connection the lines "got ...", then how the client left: its lines, and
"close_notify" when its TLS close came before its TCP one). The scenarios:

  good MODE   certificate for localhost from the test authority; MODE says
              how the encrypted bytes go out: whole (as they come), split
              (the handshake and every record a few bytes per send), batched
              (twenty records in one send), big (one record of 8 KB); or
              what else the server does: asking (asks for an optional client
              certificate), large (a certificate chain of about 80 KB)
  empty       after the registration, in one send: a notice "streaming",
              50,000 empty records, a notice "stream over" ("streamed 50000
              empty records, then" the client's lines until it closes)
  huge        a certificate chain of about 200 KB
  other       certificate for another name      self    a self-signed one
  expired     an expired one                    plain   an IRC server
  close       closes after the client's hello   without TLS ("plaintext
                                                none": no IRC text came)
  silent      takes the client's hello and never answers ("hello only":
              nothing else came before the client closed)
  early       as good, and a notice right after the handshake, before the
              client could register, as many servers do ("appdata N")
"""
import hashlib
import hmac
import select
import socket
import ssl
import sys
import tempfile
import time

from cryptography.hazmat.primitives.ciphers.aead import AESGCM

cert_dir, control_port = sys.argv[1], int(sys.argv[2])
tls_ports = [int(port) for port in sys.argv[3:]]
SPLIT = 7
EMPTY_RECORDS = 50000


def send(sock, data, mode):
    if mode != "split":
        sock.sendall(data)
        return
    for i in range(0, len(data), SPLIT):
        sock.sendall(data[i:i + SPLIT])
        time.sleep(0.001)


def count_until_closed(sock, tls=None, incoming=None):
    """Bytes of application data the client sends until it closes."""
    total = 0
    sock.settimeout(10)
    while True:
        try:
            data = sock.recv(65536)
        except (socket.timeout, ConnectionError):
            return total
        if not data:
            return total
        if tls is None:
            total += len(data)
            continue
        incoming.write(data)
        try:
            total += len(tls.read(65536))
        except ssl.SSLWantReadError:
            pass
        except ssl.SSLError:
            return total


def prf(secret, label, seed, length):
    """TLS 1.2's PRF with SHA-256."""
    out, a = b"", label + seed
    while len(out) < length:
        a = hmac.new(secret, a, hashlib.sha256).digest()
        out += hmac.new(secret, a + label + seed, hashlib.sha256).digest()
    return out[:length]


class RecordWriter:
    """The server's records after a TLS 1.2 AES-128-GCM handshake, sealed
    here: Python's ssl never writes an empty one."""

    def __init__(self, master, client_random, server_random):
        keys = prf(master, b"key expansion", server_random + client_random, 40)
        self.aead, self.salt, self.sequence = AESGCM(keys[16:32]), keys[36:40], 1

    def record(self, data):
        explicit = self.sequence.to_bytes(8, "big")
        self.sequence += 1
        header = b"\x17\x03\x03"
        sealed = self.aead.encrypt(self.salt + explicit, data, explicit + header + len(data).to_bytes(2, "big"))
        return header + (len(explicit) + len(sealed)).to_bytes(2, "big") + explicit + sealed


class Session:
    def __init__(self, sock, certificate, mode):
        self.sock, self.mode = sock, mode
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(f"{cert_dir}/{certificate}.pem", f"{cert_dir}/{certificate}.key")
        if mode == "asking":
            context.verify_mode = ssl.CERT_OPTIONAL
            context.load_verify_locations(f"{cert_dir}/ca.pem")
        if mode == "sealed":
            context.maximum_version = ssl.TLSVersion.TLSv1_2
            context.set_ciphers("ECDHE-RSA-AES128-GCM-SHA256")
            self.keylog = tempfile.NamedTemporaryFile(dir=cert_dir)
            context.keylog_filename = self.keylog.name
        self.incoming, self.outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        self.tls = context.wrap_bio(self.incoming, self.outgoing, server_side=True)
        self.pending = b""
        self.hello = None

    def flush(self):
        data = self.outgoing.read()
        if data:
            self.hello = self.hello or data
            send(self.sock, data, self.mode)

    def writer(self):
        """Seals the server's records from now on, with the keys of the log."""
        line = next(line for line in open(self.keylog.name) if line.startswith("CLIENT_RANDOM "))
        _, client_random, master = line.split()
        # The ServerHello's random follows the record, message and version headers.
        return RecordWriter(bytes.fromhex(master), bytes.fromhex(client_random), self.hello[11:43])

    def handshake(self):
        try:
            while True:
                try:
                    self.tls.do_handshake()
                    self.flush()
                    return True
                except ssl.SSLWantReadError:
                    pass
                self.flush()
                data = self.sock.recv(65536)
                if not data:
                    return False
                self.incoming.write(data)
        except (ssl.SSLError, OSError):
            return False

    def read_line(self):
        """The client's next line; EOFError once it has sent close_notify."""
        while b"\n" not in self.pending:
            try:
                data = self.tls.read(65536)
                if not data:
                    raise EOFError("close_notify")
                self.pending += data
                continue
            except ssl.SSLWantReadError:
                pass
            data = self.sock.recv(65536)
            if not data:
                raise ConnectionError("closed")
            self.incoming.write(data)
        line, self.pending = self.pending.split(b"\n", 1)
        return line.rstrip(b"\r").decode()

    def write_records(self, records):
        for record in records:
            self.tls.write(record)
        self.flush()


def register(session, answer=None):
    """The client's lines up to its JOIN, welcomed after its NICK and its
    NickServ identify answered (by answer, one record each): the JOIN waits
    for both."""
    answer = answer or (lambda line: session.write_records([line]))
    got = []
    while not got or not got[-1].startswith("JOIN"):
        got.append(session.read_line())
        if got[-1].startswith("NICK "):
            answer(b":irc.test 001 tester :Welcome\r\n")
        elif got[-1].startswith("PRIVMSG NickServ "):
            answer(b":NickServ!s@services NOTICE tester :Password accepted\r\n")
    return got


def converse(session, mode):
    """Registration in, the mode's traffic out, and a PING answered."""
    got = register(session)
    notices = [f":irc.test NOTICE tester :got {line}\r\n".encode() for line in got]
    if mode == "batched":
        notices += [f":irc.test NOTICE tester :record {i:02d}\r\n".encode() for i in range(20)]
        session.write_records(notices)
    elif mode == "big":
        filler = "".join(f":irc.test NOTICE tester :big {i:03d} {'x' * 100}\r\n" for i in range(70))
        session.write_records([b"".join(notices) + filler.encode()])
    else:
        session.write_records([b"".join(notices)])
    session.write_records([b"PING :done\r\n"])
    while session.read_line() != "PONG :done":
        pass
    session.write_records([b":irc.test NOTICE tester :pong received\r\n"])
    return "accepted " + "|".join(got) + " then " + "|".join(leaving(session))


def stream_empty(session):
    """A notice, 50,000 empty records and a notice, in one send."""
    # Every record from the handshake on is sealed here, in one sequence.
    writer = session.writer()
    register(session, lambda line: session.sock.sendall(writer.record(line)))
    stream = [writer.record(b":irc.test NOTICE tester :streaming\r\n")]
    stream += [writer.record(b"") for _ in range(EMPTY_RECORDS)]
    stream.append(writer.record(b":irc.test NOTICE tester :stream over\r\n"))
    session.sock.sendall(b"".join(stream))
    return f"streamed {EMPTY_RECORDS} empty records, then {'|'.join(leaving(session))}"


def leaving(session):
    """The client's lines until it closes, and "close_notify" if it said so."""
    seen = []
    while True:
        try:
            seen.append(session.read_line())
        except EOFError:
            return seen + ["close_notify"]
        except (OSError, ssl.SSLError):
            return seen


def run(scenario, sock):
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    sock.settimeout(10)
    kind, _, mode = scenario.partition(" ")
    if kind == "plain":
        sock.sendall(b":irc.test NOTICE * :*** Looking up your hostname...\r\n")
        received = b""
        while data := sock.recv(65536):
            received += data
        irc = any(word in received for word in (b"USER", b"NICK", b"PRIVMSG"))
        return "plaintext seen" if irc else "plaintext none"
    if kind == "close":
        sock.recv(65536)
        return "closed"
    if kind == "silent":
        hello = sock.recv(65536)
        rest = count_until_closed(sock)
        return "hello only" if hello[:1] == b"\x16" and rest == 0 else f"hello {hello[:1]!r}, then {rest} bytes"
    certificate = {"good": "localhost", "early": "localhost", "other": "other", "self": "self", "expired": "expired",
                   "empty": "localhost", "huge": "huge"}[kind]
    if mode == "large":
        certificate = "large"
    session = Session(sock, certificate, "sealed" if kind == "empty" else mode or "whole")
    if not session.handshake():
        return "handshake failed"
    if kind == "good":
        return converse(session, mode)
    if kind == "early":
        session.write_records([b":irc.test NOTICE * :*** early notice\r\n"])
    if kind == "empty":
        return stream_empty(session)
    return f"appdata {count_until_closed(sock, session.tls, session.incoming)}"


def main():
    control = socket.create_server(("127.0.0.1", control_port))
    servers = [socket.create_server(("127.0.0.1", port)) for port in tls_ports]
    print("ready", flush=True)
    while True:
        connection, _ = control.accept()
        with connection, connection.makefile("rwb", buffering=0) as stream:
            for line in stream:
                ready, _, _ = select.select(servers, [], [])
                client, _ = ready[0].accept()
                with client:
                    try:
                        result = run(line.decode().strip(), client)
                    except (OSError, ssl.SSLError) as error:
                        result = f"error {error}"
                stream.write((result + "\n").encode())


main()
