"""A logging TCP relay on loopback: a client connects to it instead of the
server, and every line that crosses is recorded in the order the relay saw
it. A line from the server is recorded before it is passed on, so whatever
the client sends in answer comes after it in the record. Python 3 standard
library only."""
import socket
import threading
import time

SENT = ">>"      # client to server
RECEIVED = "<<"  # server to client


class Relay:
    def __init__(self, server_port):
        self.server_port = server_port
        self.lock = threading.Lock()
        self.started = time.monotonic()
        # (connection number, seconds since the relay started, SENT or RECEIVED, line as bytes without CR LF)
        self.records = []
        self.sockets = []
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        threading.Thread(target=self.accept_clients, daemon=True).start()

    def accept_clients(self):
        number = 0
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:  # closed
                return
            try:
                server = socket.create_connection(("127.0.0.1", self.server_port), timeout=10)
            except OSError:
                client.close()
                continue
            server.settimeout(None)
            with self.lock:
                self.sockets += [client, server]
            number += 1
            for source, target, way in ((client, server, SENT), (server, client, RECEIVED)):
                threading.Thread(target=self.pass_on, args=(number, source, target, way), daemon=True).start()

    def pass_on(self, number, source, target, way):
        """Copies one direction byte for byte, recording its whole lines."""
        pending = b""
        while True:
            try:
                data = source.recv(4096)
            except OSError:
                data = b""
            pending += data
            *lines, pending = pending.split(b"\n")
            at = time.monotonic() - self.started
            with self.lock:
                self.records.extend((number, at, way, line.rstrip(b"\r")) for line in lines)
            try:
                if not data:
                    target.shutdown(socket.SHUT_WR)
                    return
                target.sendall(data)
            except OSError:
                return

    def connection(self, number):
        """One connection's lines as (seconds since the relay started, way, line), in order."""
        with self.lock:
            return [record[1:] for record in self.records if record[0] == number]

    def close(self):
        self.listener.close()
        with self.lock:
            for connection in self.sockets:
                try:
                    connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                connection.close()
