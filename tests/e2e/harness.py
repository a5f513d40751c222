"""What the end-to-end scenarios stand on: the probe host under Wine, irssi in
tmux, a raw IRC client that records the wire, the local servers, and the
tally of checks. Python 3 standard library only."""
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time


class Failed(Exception):
    """A step the rest of the scenario depends on did not happen. Counted:
    the tally has already recorded it."""

    def __init__(self, what, counted=False):
        super().__init__(what)
        self.counted = counted


class Tally:
    """Counts checks and prints each one; evidence goes under a failed one."""

    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, what, ok, evidence=""):
        if ok:
            self.passed += 1
            print(f"ok   {what}", flush=True)
        else:
            self.failed += 1
            print(f"FAIL {what}", flush=True)
            for line in str(evidence).splitlines():
                print(f"     | {line}", flush=True)
        return ok

    def require(self, what, ok, evidence=""):
        if not self.check(what, ok, evidence):
            raise Failed(what, counted=True)

    def equal(self, what, actual, expected):
        return self.check(what, actual == expected, f"expected {expected!r}\nactual   {actual!r}")

    def closing_line(self):
        return f"{self.passed} passed, {self.failed} failed"


def poll(condition, timeout, interval=0.1):
    """The condition's first true result within the timeout, else None."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


def run(command, timeout=60):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, encoding="utf-8",
                          errors="replace", timeout=timeout)


# --- The probe host ---------------------------------------------------------

class Probe:
    """The probe host with its chat windows, under Wine, spoken to over a
    loopback connection that it opens to us."""

    START_TIMEOUT = 180  # a fresh Wine prefix takes a while, and its lock may be held

    def __init__(self, build, source, workdir, windows, prefix=None):
        self.log_path = os.path.join(workdir, "probe_host.log")
        self.stream = None
        programs = os.path.join(build, "bin")
        if not os.path.exists(os.path.join(programs, "probe_host.exe")):
            raise Failed(f"no probe_host.exe in {programs}: build the target probe_host")
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(1)
        listener.settimeout(0.5)
        command = [os.path.join(source, "tools", "wine-run.sh"), "--prefix",
                   prefix or os.path.join(build, "wineprefix"), "./probe_host.exe",
                   "--windows", str(windows), "--control", str(listener.getsockname()[1])]
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen(command, cwd=programs, stdout=log, stderr=subprocess.STDOUT,
                                            stdin=subprocess.DEVNULL, start_new_session=True)
        with listener:
            self.connection = poll(lambda: self.accept(listener), self.START_TIMEOUT, interval=0)
        if not self.connection:
            self.close()
            raise Failed(f"the probe host did not call within {self.START_TIMEOUT} s: {self.log()}")
        self.connection.settimeout(30)
        self.stream = self.connection.makefile("rwb")

    def accept(self, listener):
        """The probe's connection, or None; raises if the probe has ended."""
        try:
            return listener.accept()[0]
        except socket.timeout:
            if self.process.poll() is not None:
                raise Failed(f"the probe host ended before it called (status {self.process.returncode}): {self.log()}")
            return None

    def log(self):
        with open(self.log_path, errors="replace") as log:
            return log.read()[-2000:]

    def command(self, line):
        try:
            self.stream.write(line.encode() + b"\n")
            self.stream.flush()
            reply = self.stream.readline()
        except OSError as error:
            raise Failed(f"probe host: '{line}' got no reply ({error}): {self.log()}")
        if not reply:
            raise Failed(f"probe host ended during '{line}': {self.log()}")
        return json.loads(reply)

    def act(self, line):
        """A user's action; refusals (a hidden panel, a disabled line) fail."""
        reply = self.command(line)
        if "error" in reply:
            raise Failed(f"probe host refused '{line}': {reply['error']}")

    def state(self, window):
        return State(self.command(f"state {window}"))

    def colour(self, window, tab, text):
        return self.command(f"colour {window} {tab} {text}")

    def picture(self, path):
        """Saves the host window as PNG at path (ImageMagick converts the BMP);
        returns the picture's colours, a set of (red, green, blue)."""
        bitmap = os.path.splitext(path)[0] + ".bmp"
        self.act("shot Z:" + bitmap.replace("/", "\\"))
        colours = bitmap_colours(bitmap)
        converter = shutil.which("convert-im6.q16") or shutil.which("convert")
        result = run([converter, bitmap, path])
        os.remove(bitmap)
        if result.returncode != 0:
            raise Failed(f"cannot convert the picture: {result.stdout}")
        return colours

    def close(self):
        if self.stream:
            try:
                self.command("quit")
            except (Failed, ValueError):
                pass
            self.connection.close()
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait(timeout=10)


def bitmap_colours(path):
    """The distinct colours of a 24-bit BMP file (as the probe host saves it)."""
    with open(path, "rb") as file:
        data = file.read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little", signed=True)
    height = abs(int.from_bytes(data[22:26], "little", signed=True))
    stride = (width * 3 + 3) & ~3
    colours = set()
    for row in range(height):
        start = offset + row * stride
        pixels = data[start:start + width * 3]
        colours.update(zip(pixels[2::3], pixels[1::3], pixels[0::3]))
    return colours


class State:
    """One window as a user sees it."""

    def __init__(self, raw):
        self.raw = raw
        self.bits = raw["bits"]
        self.panel = raw["panel"]
        self.tabs = raw["tabList"]
        self.users = raw["users"]
        self.selected = raw["selected"]
        self.sounds = raw["sounds"]
        self.nick_field = raw["nickField"]
        self.input_field = raw["inputField"]

    def visible(self, control):
        return self.panel[control]["visible"]

    def usable(self, control):
        return self.panel[control]["visible"] and self.panel[control]["enabled"]

    def on_login_panel(self):
        return all(self.usable(c) for c in ("login", "nick", "server", "port")) and \
            not self.visible("input") and not self.visible("users")

    def on_chat_panel(self):
        return self.visible("tabs") and self.visible("users") and self.visible("input") and \
            not self.visible("nick") and not self.visible("server")

    def tab_names(self):
        return [tab["name"] for tab in self.tabs]

    def tab(self, name):
        for index, tab in enumerate(self.tabs):
            if tab["name"] == name:
                return index, tab
        return None, None

    def text(self, name):
        _, tab = self.tab(name)
        return tab["text"] if tab else ""

    def lines(self, name):
        return self.text(name).split("\n")

    def has_line(self, name, line):
        return line in self.lines(name)

    def summary(self):
        shown = [c for c, s in self.panel.items() if s["visible"]]
        out = [f"shown: {' '.join(shown)}",
               f"tabs: {self.tab_names()} selected {self.selected}, "
               f"unread {[t['name'] for t in self.tabs if t['unread']]}",
               f"users: {self.users}  sounds: {self.sounds['count']}"]
        for tab in self.tabs:
            out.append(f"[{tab['name']}]")
            out.extend("  " + line for line in tab["text"].split("\n")[-12:] if line)
        return "\n".join(out)


def wait_state(tally, probe, window, what, condition, timeout=15):
    """Polls one window until the condition holds; fails the scenario if not."""
    last = []

    def attempt():
        state = probe.state(window)
        last[:] = [state]
        return state if condition(state) else None

    state = poll(attempt, timeout, interval=0.15)
    tally.require(f"window {window}: {what}", state is not None,
                  last[0].summary() if last else "no state")
    return state


# --- irssi in tmux ----------------------------------------------------------

class Irssi:
    """A real terminal client, driven by keys and read from its screen, in a
    UTF-8 terminal as today's users run it."""

    def __init__(self, workdir, port, nick, host="127.0.0.1", tls_authority=None):
        """tls_authority: the certificate file that irssi's check of the
        server's certificate trusts; None for a plain connection."""
        self.nick = nick
        # A tmux server of its own. A Unix socket's path holds at most 108
        # bytes, which a test folder in a deep checkout passes: the socket
        # lives in a short folder of its own.
        self.runtime = tempfile.mkdtemp(prefix="talvo-", dir="/tmp")
        self.socket = os.path.join(self.runtime, "tmux.socket")
        home = os.path.join(workdir, "irssi")
        os.makedirs(home, exist_ok=True)
        with open(os.path.join(home, "config"), "w") as config:
            config.write(IRSSI_CONFIG.replace("@NICK@", nick))
            if tls_authority:
                config.write(IRSSI_TLS_SERVER.replace("@HOST@", host).replace("@PORT@", str(port))
                             .replace("@AUTHORITY@", tls_authority))
        command = f"env LC_ALL=C.UTF-8 irssi --home={home} -n {nick} -c {host} -p {port}"
        try:
            self.tmux("new-session", "-d", "-s", "irssi", "-x", "160", "-y", "60", command)
        except Failed:
            shutil.rmtree(self.runtime, ignore_errors=True)
            raise

    def tmux(self, *args):
        result = run(["tmux", "-u", "-S", self.socket, *args], timeout=15)
        if result.returncode != 0:
            raise Failed(f"tmux {' '.join(args)}: {result.stdout}")
        return result.stdout

    def type(self, line):
        self.tmux("send-keys", "-t", "irssi", "-l", line)
        self.tmux("send-keys", "-t", "irssi", "Enter")

    def screen(self):
        """The visible window, wrapped lines joined, without trailing blanks."""
        screen = self.tmux("capture-pane", "-p", "-J", "-t", "irssi")
        return "\n".join(line.rstrip() for line in screen.splitlines())

    def wait_screen(self, tally, what, pattern, timeout=15):
        found = poll(lambda: re.search(pattern, self.screen(), re.M), timeout, interval=0.2)
        tally.require(f"irssi: {what}", found is not None, self.screen())
        return found

    def close(self):
        try:
            self.type("/quit")
            poll(lambda: run(["tmux", "-S", self.socket, "has-session", "-t", "irssi"]).returncode != 0, 5)
        except Failed:
            pass
        run(["tmux", "-S", self.socket, "kill-server"], timeout=15)
        shutil.rmtree(self.runtime, ignore_errors=True)


# Nothing persists, nothing is logged, nothing is held back for flood
# control, and no query windows: private talk and CTCP replies show in the
# status window (1), the channel in window 2. A lost server is tried again
# every 2 s, not every 5 min.
IRSSI_CONFIG = """settings = {
  core = {
    real_name = "irssi e2e";
    user_name = "irssi";
    nick = "@NICK@";
    settings_autosave = "no";
    server_reconnect_time = "2s";
  };
  "irc/core" = { cmd_queue_speed = "0msec"; cmds_max_at_once = "100"; };
  "fe-common/core" = {
    term_charset = "UTF-8";
    autolog = "no";
    beep_msg_level = "";
    autocreate_own_query = "no";
    autocreate_query_level = "none";
  };
};
"""


# A connection to this server and port takes these settings: TLS, the
# certificate checked against the test's authority.
IRSSI_TLS_SERVER = """servers = (
  { address = "@HOST@"; port = "@PORT@"; use_tls = "yes"; tls_verify = "yes"; tls_cafile = "@AUTHORITY@"; }
);
"""


# --- A raw client that records the wire -------------------------------------

class Wire:
    """A plain IRC client whose received lines are the bytes the server sent."""

    def __init__(self, port, nick):
        self.nick = nick
        self.buffer = b""
        self.lines = []
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.send(f"NICK {nick}", f"USER {nick} 0 * :{nick}")
        if not self.wait(rb" 001 "):
            raise Failed(f"{nick}: no welcome from the server on port {port}")

    def send(self, *lines):
        """Lines as text go out in UTF-8; bytes go out as they are."""
        self.socket.sendall(b"".join((line if isinstance(line, bytes) else line.encode()) + b"\r\n"
                                     for line in lines))

    def mark(self):
        """A place in the received lines: later waits look only after it."""
        return len(self.lines)

    def wait(self, pattern, since=0, timeout=15):
        """The first received line after since that matches the bytes pattern."""
        deadline = time.monotonic() + timeout
        while True:
            for line in self.lines[since:]:
                if re.search(pattern, line):
                    return line
            since = max(since, len(self.lines))
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            self.socket.settimeout(min(remaining, 0.5))
            try:
                data = self.socket.recv(4096)
            except socket.timeout:
                continue
            except ConnectionError:
                return None
            if not data:
                return None
            self.buffer += data
            while b"\r\n" in self.buffer:
                line, self.buffer = self.buffer.split(b"\r\n", 1)
                if line.startswith(b"PING "):
                    self.socket.sendall(b"PONG " + line[5:] + b"\r\n")
                self.lines.append(line)

    def online(self, nick):
        """Whether the server still knows the nick (ISON). A watcher whose
        answers stop fails the scenario: silence is not "gone"."""
        since = self.mark()
        self.send(f"ISON {nick}")
        reply = self.wait(rb" 303 ", since)
        if reply is None:
            raise Failed(f"{self.nick}: no answer to ISON {nick}")
        return nick.encode() in reply.split(b" ", 3)[3].lower()

    def close(self):
        try:
            self.send("QUIT")
        except OSError:
            pass
        self.socket.close()


# --- What crossed a port ---------------------------------------------------

class Capture:
    """tcpdump on loopback: the bytes of every TCP connection to one port."""

    def __init__(self, workdir, name, port):
        self.port = port
        self.path = os.path.join(workdir, f"{name}.pcap")
        # Immediate mode: packets held in the kernel's buffer when tcpdump is
        # stopped would be lost.
        command = ["tcpdump", "-i", "lo", "-n", "-U", "--immediate-mode", "-s", "0", "-Z", "root", "-w", self.path,
                   f"tcp port {port}"]
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        # tcpdump says "listening on lo" once it captures.
        listening = self.process.stderr.readline()
        if b"listening" not in listening:
            raise Failed(f"tcpdump does not capture on port {port}: {listening!r}")

    def stop(self):
        """The connections' bytes: {(client port, "sent" or "received"): bytes}."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
            self.process.wait(timeout=10)
        with open(self.path, "rb") as capture:
            return self.streams(capture.read())

    def streams(self, pcap):
        # Loopback frames carry an Ethernet header, then IPv4 and TCP.
        streams = {}
        offset = 24
        while offset + 16 <= len(pcap):
            captured = int.from_bytes(pcap[offset + 8:offset + 12], "little")
            frame = pcap[offset + 16:offset + 16 + captured]
            offset += 16 + captured
            if len(frame) < 34 or frame[12:14] != b"\x08\x00" or frame[23] != 6:
                continue
            ip = frame[14:]
            ip_length = int.from_bytes(ip[2:4], "big")
            tcp = ip[(ip[0] & 0x0F) * 4:ip_length]
            source, destination = int.from_bytes(tcp[0:2], "big"), int.from_bytes(tcp[2:4], "big")
            payload = tcp[(tcp[12] >> 4) * 4:]
            if payload:
                key = (source, "sent") if destination == self.port else (destination, "received")
                streams[key] = streams.get(key, b"") + payload
        return streams


# --- Servers ----------------------------------------------------------------

class Servers:
    """tools/servers/irc-servers.sh on one run folder; its ports come from
    the environment (NGIRCD_PORT, INSPIRCD_PORT, INSPIRCD_LINK_PORT)."""

    def __init__(self, source, rundir):
        self.script = os.path.join(source, "tools", "servers", "irc-servers.sh")
        self.rundir = rundir

    def start(self, name, uplink=None):
        """uplink: the server that atheme links to."""
        result = run([self.script, "start", name, self.rundir] + ([uplink] if uplink else []))
        if result.returncode != 0:
            raise Failed(f"cannot start {name}: {result.stdout}")
        return result.stdout

    def stop(self):
        return run([self.script, "stop", self.rundir]).stdout


def port_open(port):
    with socket.socket() as probe:
        probe.settimeout(2)
        return probe.connect_ex(("127.0.0.1", port)) == 0


def missing_programs(*names):
    return [name for name in names if shutil.which(name) is None]
