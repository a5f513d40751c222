#!/usr/bin/env python3
"""End-to-end scenarios: the real DLL in the probe host under Wine, against a
real IRC server (ngircd or inspircd), atheme's NickServ and irssi.

  scenarios.py --scenario chat|nickserv|sasl|irssi|utf8|paste|restart|tls --server ngircd|inspircd
               --port PORT --build BUILD --source SOURCE --workdir DIR [--rundir DIR]
               [--tls-port PORT --authority CERTIFICATE] [--prefix WINEPREFIX]

The server runs already (a CTest fixture started it); the restart scenario
stops and restarts it and its NickServ in --rundir. The tls scenario wants
the server's TLS port too, and a Wine prefix that trusts the authority of
its certificate (tests/e2e/tls-e2e.sh makes both). Prints every check and closes with
"N passed, N failed"; exits non-zero on any failure."""
import argparse
import base64
import os
import re
import shutil
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from harness import (Capture, Failed, Irssi, Probe, Servers, Tally, Wire, missing_programs, poll, port_open,
                     wait_state)
from relay import RECEIVED, SENT, Relay

SERVER_TAB = "127.0.0.1"
CHANNEL = "#marketbay"
JOINED = "*** Вы находитесь на канале #marketbay"
DROPPED = re.compile(r"\*\*\* Соединение потеряно \((.+)\)\. "
                     r"Повторное подключение через (\d+) с \(попытка (\d+)\)")
RESTORED = "*** Соединение восстановлено"
SASL_FAILED = "*** Вход по SASL не удался, ник будет опознан через NickServ"

# Colours of the output (RGB) and their weight.
EVENT = ([0, 147, 0], False)
CONNECTION = ([0, 0, 127], False)
ACTION = ([156, 0, 156], False)
CTCP = ([255, 0, 0], False)
NOTICE = ([127, 0, 0], False)
CHAT = ([91, 140, 79], True)
MENTION = ([255, 0, 0], True)
OWN = ([0, 0, 252], True)

SND_ASYNC = 0x0001

# Fewer colours than this in a picture of a chat window: it was not painted.
PAINTED_COLOURS = 16

# The test servers that offer SASL: there a nick with a password and no
# e-mail logs in before the welcome, and NickServ hears no identify.
SASL_SERVERS = {"inspircd"}


class Scenario:
    def __init__(self, options, tally):
        self.options = options
        self.tally = tally
        self.port = options.port
        self.sasl = options.server in SASL_SERVERS
        self.server_tab = SERVER_TAB
        self.cleanups = []

    def probe(self, windows):
        probe = Probe(self.options.build, self.options.source, self.options.workdir, windows, self.options.prefix)
        self.cleanups.append(probe.close)
        return probe

    def irssi(self, nick):
        irssi = Irssi(self.options.workdir, self.port, nick)
        self.cleanups.append(irssi.close)
        return irssi

    def wire(self, nick):
        wire = Wire(self.port, nick)
        self.cleanups.append(wire.close)
        return wire

    def close(self):
        for cleanup in reversed(self.cleanups):
            try:
                cleanup()
            except Exception as error:  # a failed clean-up must not hide the others
                print(f"clean-up: {error}", flush=True)

    # --- Steps shared by the scenarios ---

    def log_in(self, probe, window, nick, *secrets):
        self.log_in_to(probe, window, self.port, nick, *secrets)

    def log_in_to(self, probe, window, port, nick, *secrets):
        probe.act(" ".join(["login", str(window), self.server_tab, str(port), nick, *secrets]))

    def wait(self, probe, window, what, condition, timeout=15):
        return wait_state(self.tally, probe, window, what, condition, timeout)

    def wait_joined(self, probe, window, nick, users):
        state = self.wait(probe, window, f"{nick} is on {CHANNEL} with users {users}",
                          lambda st: st.has_line(CHANNEL, JOINED) and st.users == users and st.usable("input"))
        self.tally.equal(f"window {window}: tabs after login", state.tab_names(), [self.server_tab, CHANNEL])
        self.tally.check(f"window {window}: chat panel shown", state.on_chat_panel(), state.summary())
        return state

    def expect_colour(self, probe, window, tab, text, style):
        reply = probe.colour(window, tab, text)
        colour, bold = style
        self.tally.check(f"window {window}: '{text}' is {colour}{' bold' if bold else ''}",
                         reply.get("found") and reply["colour"] == colour and reply["bold"] == bold,
                         f"read {reply}")

    def logged_in(self, lines, nick):
        """Whether the server tab's lines tell of the nick's log-in: SASL's
        900 where the server offers SASL, NickServ's answer elsewhere."""
        if self.sasl:
            return any(line.endswith(f" You are now logged in as {nick}") for line in lines)
        return f"-NickServ- You are now identified for {nick}." in lines

    def wait_nick_gone(self, wire, nick):
        """A logout's QUIT and the next login's NICK travel on different
        connections; the next login waits until the server has let go."""
        self.tally.require(f"server has let go of {nick}", poll(lambda: not wire.online(nick), 10))


def chat(s):
    """Two windows of one host talk on the channel and in private, one
    changes its nick, one leaves."""
    probe = s.probe(2)
    for window in (0, 1):
        state = probe.state(window)
        s.tally.check(f"window {window}: starts on the login panel", state.on_login_panel(), state.summary())

    s.log_in(probe, 0, "anya")
    state = s.wait_joined(probe, 0, "anya", ["@anya"])
    s.tally.check("server tab: connecting line", state.has_line(SERVER_TAB, "*** Соединяюсь с 127.0.0.1..."),
                  state.text(SERVER_TAB))
    s.tally.check("server tab: the server's welcome",
                  any("Welcome" in line and "anya" in line for line in state.lines(SERVER_TAB)),
                  state.text(SERVER_TAB))
    s.expect_colour(probe, 0, 1, JOINED, EVENT)

    s.log_in(probe, 1, "boris")
    s.wait_joined(probe, 1, "boris", ["@anya", "boris"])
    s.wait(probe, 0, "sees boris come, listed after @anya",
           lambda st: st.has_line(CHANNEL, "*** boris приходит") and st.users == ["@anya", "boris"])

    probe.act("say 0 hello from anya")
    s.wait(probe, 1, "shows anya's line", lambda st: st.has_line(CHANNEL, "<anya> hello from anya"))
    s.expect_colour(probe, 1, 1, "<anya> hello from anya", CHAT)
    state = probe.state(0)
    s.tally.check("window 0: own line echoed", state.has_line(CHANNEL, "<anya> hello from anya"), state.summary())
    s.expect_colour(probe, 0, 1, "<anya> hello from anya", OWN)
    probe.act("say 0 /me waves to the market")
    s.wait(probe, 1, "shows anya's /me as an action", lambda st: st.has_line(CHANNEL, "* anya waves to the market"))

    sounds = state.sounds["count"]
    probe.act("say 1 anya, the copper lot is yours")
    state = s.wait(probe, 0, "shows boris's line that names anya",
                   lambda st: st.has_line(CHANNEL, "<boris> anya, the copper lot is yours"))
    s.expect_colour(probe, 0, 1, "<boris> anya, the copper lot is yours", MENTION)
    s.tally.equal("a mention asks for the sound once", state.sounds["count"], sounds + 1)
    s.tally.equal("the sound asked for", (state.sounds["name"], state.sounds["flags"]),
                  ("IRCSkin/Message.wav", SND_ASYNC))
    s.tally.check("window 0: the selected channel tab has no unread mark",
                  not state.tab(CHANNEL)[1]["unread"], state.summary())

    probe.act("dblclick 0 boris")
    state = s.wait(probe, 0, "a double click opens boris's tab",
                   lambda st: st.tab_names() == [SERVER_TAB, CHANNEL, "boris"] and st.selected == 2)
    sounds = state.sounds["count"]
    probe.act("say 0 psst, private offer")
    state = s.wait(probe, 1, "a private line opens anya's tab",
                   lambda st: st.has_line("anya", "<anya> psst, private offer"))
    s.tally.equal("window 1: the new private tab is selected", state.selected, state.tab("anya")[0])
    s.tally.equal("a private message asks for the sound", state.sounds["count"], sounds + 1)
    probe.act("say 1 deal")
    s.wait(probe, 0, "shows the private answer", lambda st: st.has_line("boris", "<boris> deal"))
    probe.act("say 1 /msg anya deal, by /msg")
    s.wait(probe, 0, "shows the /msg in the private tab", lambda st: st.has_line("boris", "<boris> deal, by /msg"))

    probe.act("select 0 1")
    probe.act("say 1 one more thing")
    s.wait(probe, 0, "marks the unselected private tab unread",
           lambda st: st.has_line("boris", "<boris> one more thing") and st.tab("boris")[1]["unread"]
           and not st.tab(CHANNEL)[1]["unread"])
    probe.act("select 0 2")
    state = probe.state(0)
    s.tally.check("window 0: selecting the tab clears its mark",
                  state.selected == 2 and not state.tab("boris")[1]["unread"], state.summary())

    # The nick changes when the server's NICK line for it arrives.
    probe.act("nick 1 borya")
    state = s.wait(probe, 1, "own nick change",
                   lambda st: st.has_line(CHANNEL, "*** теперь твой ник borya")
                   and st.users == ["@anya", "borya"])
    s.tally.equal("window 1: the nick field shows the new nick", state.nick_field, "borya")
    s.tally.check("window 1: back on the chat panel", state.on_chat_panel(), state.summary())
    state = s.wait(probe, 0, "sees the nick change",
                   lambda st: st.has_line(CHANNEL, "*** boris теперь известен как borya")
                   and st.users == ["@anya", "borya"])
    s.tally.check("window 0: the input line closes on the private tab of the old nick",
                  not state.panel["input"]["enabled"], state.summary())

    probe.act("logout 1")
    s.wait(probe, 1, "back on the login panel after Выйти",
           lambda st: st.on_login_panel() and not st.visible("tabs") and st.users == [])
    # The quit message is one word: it is the first piece, the second is empty.
    quit_line = "*** borya (http://talvo.example/irc ) выходит"
    s.wait(probe, 0, "sees borya quit and the list shrink",
           lambda st: st.users == ["@anya"] and st.has_line(CHANNEL, quit_line))
    s.expect_colour(probe, 0, 1, quit_line, CONNECTION)


def nickserv(s):
    """A fresh nick registers with NickServ, identifies on the next login,
    and is refused with a wrong password."""
    nick, password, email = "merchant", "bazaar77", "merchant@example.org"
    watcher = s.wire("watcher")
    probe = s.probe(1)

    s.log_in(probe, 0, nick, password, email)
    registered = f"-NickServ- {nick} is now registered to {email}, with the password {password}."
    s.wait(probe, 0, "NickServ registers the nick",
           lambda st: st.has_line(SERVER_TAB, registered) and st.has_line(CHANNEL, JOINED))
    s.expect_colour(probe, 0, 0, f"{nick} is now registered", (NOTICE[0], True))
    s.expect_colour(probe, 0, 0, " is now registered", NOTICE)

    probe.act("logout 0")
    s.wait(probe, 0, "back on the login panel", lambda st: st.on_login_panel())
    s.wait_nick_gone(watcher, nick)

    s.log_in(probe, 0, nick, password)
    s.wait(probe, 0, "the nick is logged in (by SASL where the server offers it, else by NickServ)",
           lambda st: s.logged_in(st.lines(SERVER_TAB), nick) and st.has_line(CHANNEL, JOINED))
    if not s.sasl:
        s.expect_colour(probe, 0, 0, f"{nick}.", (NOTICE[0], True))

    probe.act("logout 0")
    s.wait(probe, 0, "back on the login panel", lambda st: st.on_login_panel())
    s.wait_nick_gone(watcher, nick)

    s.log_in(probe, 0, nick, "wrongpass9")
    refused = f"-NickServ- Invalid password for {nick}."
    state = s.wait(probe, 0, "NickServ refuses a wrong password", lambda st: st.has_line(SERVER_TAB, refused))
    lines = state.lines(SERVER_TAB)
    s.tally.check("no identification with a wrong password",
                  not s.logged_in(lines, nick) and not any("identified" in line for line in lines),
                  state.text(SERVER_TAB))
    if s.sasl:
        s.tally.check("the server tab says SASL failed and NickServ was asked instead",
                      SASL_FAILED in lines and lines.index(SASL_FAILED) < lines.index(refused), state.text(SERVER_TAB))


def sasl(s):
    """A nick registered with NickServ logs in with its password. A server
    that offers SASL (inspircd) logs it in before its welcome, and NickServ
    hears nothing; one that does not (ngircd) gets NickServ's identify, and
    the channel waits for NickServ's answer. irssi reads the module's lines
    either way. A relay between the module and the server records the
    exchange, which is printed with the password masked."""
    nick, password = "saslbuyer", "haggle55"
    lookout = s.irssi("lookout")
    lookout.wait_screen(s.tally, "connected", r"Welcome to the")
    lookout.type(f"/join {CHANNEL}")
    lookout.wait_screen(s.tally, "joined", rf"lookout \[\S+\] has joined {CHANNEL}")
    watcher = s.wire("saslwatch")
    owner = s.wire(nick)
    since = owner.mark()
    owner.send(f"PRIVMSG NickServ :register {password} {nick}@example.org")
    registered = owner.wait(rb"NOTICE " + nick.encode() + rb" :\S+ is now registered", since)
    owner.close()
    s.tally.require("a raw client registers the nick with NickServ", registered is not None)
    s.wait_nick_gone(watcher, nick)

    relay = Relay(s.port)
    s.cleanups.append(relay.close)
    probe = s.probe(1)
    s.log_in_to(probe, 0, relay.port, nick, password)
    try:
        s.wait_joined(probe, 0, nick, ["@lookout", nick])
        lookout.wait_screen(s.tally, "sees the module join", rf"{nick} \[\S+\] has joined {CHANNEL}")
        probe.act("say 0 the silk lot, signed in")
        lookout.wait_screen(s.tally, "reads the module's line", rf"{nick}> the silk lot, signed in$")
    finally:
        show_log_in(relay.connection(1), password)
    lines = probe.state(0).lines(SERVER_TAB)
    s.tally.check("the server tab tells of the log-in", s.logged_in(lines, nick), "\n".join(lines))
    if s.sasl:
        s.tally.check("the server tab shows no word from NickServ",
                      not any(line.startswith("-NickServ-") for line in lines), "\n".join(lines))

    since = watcher.mark()
    watcher.send(f"WHOIS {nick}")
    watcher.wait(rb" 318 ", since)
    account = rb" 330 saslwatch " + nick.encode() + b" " + nick.encode() + b" "
    s.tally.check("the server knows the module's nick as logged in to its account (WHOIS 330)",
                  any(account in line for line in watcher.lines[since:]), b"\n".join(watcher.lines[since:]))

    exchange = relay.connection(1)
    plain = base64.b64encode(f"{nick}\0{nick}\0{password}".encode())
    steps = sasl_steps(plain) if s.sasl else identify_steps(password)
    # Each step's first line comes after the step before it: a line sent
    # too early fails even when it is sent again later.
    previous = -1
    for way, pattern, what in steps:
        found = next((index for index, (_, sent_or_received, line) in enumerate(exchange)
                      if sent_or_received == way and re.search(pattern, line)), None)
        in_order = found is not None and found > previous
        s.tally.check(f"wire: {what}", in_order,
                      f"first such line ({way}): {'none' if found is None else found}; the step before: {previous}")
        previous = found if in_order else previous
    requested = {cap for _, way, line in exchange if way == SENT and line.startswith(b"CAP REQ :")
                 for cap in line.split(b":", 1)[1].split()}
    s.tally.equal("wire: the capabilities asked for", sorted(requested),
                  [b"multi-prefix", b"sasl"] if s.sasl else [b"multi-prefix"])
    never = b"PRIVMSG NickServ " if s.sasl else b"AUTHENTICATE "
    s.tally.check(f"wire: no {never.decode().strip()} goes out",
                  not any(way == SENT and line.startswith(never) for _, way, line in exchange))


def show_log_in(exchange, password):
    """Prints the log-in's lines of one relayed connection, masked."""
    if not exchange:
        print("the module's log-in: nothing crossed the relay", flush=True)
        return
    print("the module's log-in, as the relay saw it (line, seconds since the first, >> to the server, "
          "<< from it):", flush=True)
    for index, (at, way, line) in enumerate(exchange):
        if re.match(LOG_IN_LINE, line.split(b" ", 1)[1] if line.startswith(b":") else line):
            print(f"  {index:3d} {at - exchange[0][0]:5.2f} {way} {masked(line, password)}", flush=True)


# The lines of a log-in worth showing: registration, capabilities, SASL,
# the welcome, NickServ's part and the join.
LOG_IN_LINE = (rb"(NICK|USER|CAP|AUTHENTICATE|9\d\d|001|JOIN|PRIVMSG NickServ"
               rb"|NOTICE \S+ :(You are now|This nickname))\b")


def masked(line, password):
    """The line as text, the password and a SASL payload masked."""
    if re.match(rb"AUTHENTICATE (?!PLAIN$|:?\+$)", line):
        return f"AUTHENTICATE <base64 of nick NUL nick NUL password, {len(line) - 13} characters>"
    return line.replace(password.encode(), b"********").decode(errors="replace")


def sasl_steps(plain):
    """What crosses, in this order, when the server offers SASL."""
    return [(SENT, rb"^CAP LS 302$", "the module asks for the capabilities first"),
            (RECEIVED, rb"^:\S+ CAP \* LS :(?=.*\bmulti-prefix\b)(?=.*\bsasl=\S*\bPLAIN\b)",
             "the server offers multi-prefix and SASL PLAIN"),
            (SENT, rb"^CAP REQ :", "the module requests capabilities"),
            (RECEIVED, rb"^:\S+ CAP \S+ ACK :", "the server acknowledges them"),
            (SENT, rb"^AUTHENTICATE PLAIN$", "the module picks PLAIN"),
            (RECEIVED, rb"^AUTHENTICATE :?\+$", "the server asks for the credentials"),
            (SENT, rb"^AUTHENTICATE " + re.escape(plain) + rb"$", "the credentials: nick, nick and password"),
            (RECEIVED, rb"^:\S+ 900 ", "logged in (900)"),
            (RECEIVED, rb"^:\S+ 903 ", "SASL succeeded (903)"),
            (SENT, rb"^CAP END$", "the module ends the capability talk"),
            (RECEIVED, rb"^:\S+ 001 ", "the welcome comes after the SASL log-in"),
            (SENT, rb"^JOIN :?" + re.escape(CHANNEL.encode()) + rb"\b", "the join follows the welcome")]


def identify_steps(password):
    """What crosses, in this order, when the server offers no SASL."""
    return [(SENT, rb"^CAP LS 302$", "the module asks for the capabilities first"),
            (RECEIVED, rb"^:\S+ CAP \* LS :multi-prefix$", "the server offers multi-prefix only"),
            (SENT, rb"^CAP REQ :", "the module requests capabilities"),
            (RECEIVED, rb"^:\S+ CAP \S+ ACK :", "the server acknowledges them"),
            (SENT, rb"^CAP END$", "the module ends the capability talk"),
            (RECEIVED, rb"^:\S+ 001 ", "the welcome"),
            (SENT, rb"^PRIVMSG NickServ :identify " + re.escape(password.encode()) + rb"$",
             "the module identifies to NickServ"),
            (RECEIVED, rb"^:NickServ!\S+ NOTICE \S+ :You are now identified for ", "NickServ's answer"),
            (SENT, rb"^JOIN :?" + re.escape(CHANNEL.encode()) + rb"\b", "the join follows NickServ's answer")]


def irssi(s):
    """irssi, operator of the channel, talks to the module and rules over it."""
    op = s.irssi("opirssi")
    op.wait_screen(s.tally, "connected", r"Welcome to the")
    op.type(f"/join {CHANNEL}")
    op.wait_screen(s.tally, "joined first", rf"opirssi \[\S+\] has joined {CHANNEL}")
    wire = s.wire("wirepeer")
    probe = s.probe(1)

    s.log_in(probe, 0, "trader")
    state = s.wait_joined(probe, 0, "trader", ["@opirssi", "trader"])
    op.wait_screen(s.tally, "sees trader join", rf"trader \[\S+\] has joined {CHANNEL}")

    sounds = state.sounds["count"]
    op.type("/msg trader are you selling?")
    state = s.wait(probe, 0, "a private message opens irssi's tab",
                   lambda st: st.has_line("opirssi", "<opirssi> are you selling?"))
    s.tally.check("the new private tab is selected and not marked",
                  state.selected == 2 and not state.tabs[2]["unread"], state.summary())
    s.tally.equal("the private message asks for the sound", state.sounds["count"], sounds + 1)
    probe.act("select 0 1")
    op.type("/msg trader hello again")
    state = s.wait(probe, 0, "the unselected private tab gets the unread mark",
                   lambda st: st.has_line("opirssi", "<opirssi> hello again") and st.tabs[2]["unread"])
    s.tally.equal("each private message asks for the sound", state.sounds["count"], sounds + 2)

    op.type("/me waves at the stalls")
    s.wait(probe, 0, "/me arrives as an action", lambda st: st.has_line(CHANNEL, "* opirssi waves at the stalls"))
    s.expect_colour(probe, 0, 1, "* opirssi waves at the stalls", ACTION)

    # The module's own commands, as irssi shows them.
    probe.act("say 0 /me nods at opirssi")
    op.wait_screen(s.tally, "sees the module's /me as an action", r"\* trader nods at opirssi$")
    probe.act("say 0 /msg opirssi a word in private")
    op.type("/window 1")
    op.wait_screen(s.tally, "sees the module's /msg in private", r"trader.*a word in private$")
    op.type("/ctcp trader VERSION")
    op.wait_screen(s.tally, "shows the VERSION answer", r"CTCP VERSION reply from trader: Talvo IRC module$")
    op.type("/ctcp trader PING tok42xyz")
    op.wait_screen(s.tally, "shows the PING answer with its own token", r"CTCP PING reply from trader: tok42xyz$")
    op.type("/ping trader")
    op.wait_screen(s.tally, "times its own PING from the echoed stamp",
                   r"CTCP PING reply from trader: \d+\.\d+ seconds$")
    op.type("/window 2")
    request = re.compile(r"^\*\*\* ctcp/(version|ping) request from opirssi!~?irssi@127\.0\.0\.1$")
    s.wait(probe, 0, "shows the three CTCP requests in irssi's tab",
           lambda st: len([line for line in st.lines("opirssi") if request.match(line)]) == 3)
    s.expect_colour(probe, 0, 2, "*** ctcp/version request", CTCP)

    since = wire.mark()
    wire.send("PRIVMSG trader :\x01VERSION\x01", "PRIVMSG trader :\x01PING 1234567890 42\x01")
    answer = wire.wait(rb"NOTICE wirepeer :\x01VERSION", since)
    s.tally.check("wire: the VERSION answer, byte for byte",
                  answer is not None and re.fullmatch(rb":trader!\S+ NOTICE wirepeer :\x01VERSION Talvo IRC module\x01",
                                                      answer), answer)
    answer = wire.wait(rb"NOTICE wirepeer :\x01PING", since)
    s.tally.check("wire: the PING answer carries the token unchanged",
                  answer is not None and re.fullmatch(rb":trader!\S+ NOTICE wirepeer :\x01PING 1234567890 42\x01",
                                                      answer), answer)

    # The list shows the highest status held: a voice given to an operator
    # shows once the operator's status is taken away.
    for mode, users in (("+o", ["@opirssi", "@trader"]), ("-o", ["@opirssi", "trader"]),
                        ("+o", ["@opirssi", "@trader"]), ("+v", ["@opirssi", "@trader"]),
                        ("-o", ["@opirssi", "+trader"]), ("-v", ["@opirssi", "trader"])):
        op.type(f"/mode {CHANNEL} {mode} trader")
        s.wait(probe, 0, f"{mode} on trader: the list reads {users}",
               lambda st: st.users == users and st.has_line(CHANNEL, f"*** ChanServ sets mode: {mode} trader"))

    op.type("/kick trader enough for today")
    kicked = f"*** ты был выкинут с канала {CHANNEL} пользователем opirssi (enough for today)"
    state = s.wait(probe, 0, "a kick returns to the login panel with the reason in the server tab",
                   lambda st: st.on_login_panel() and st.has_line(SERVER_TAB, kicked))
    s.tally.equal("only the server tab is left, in sight", (state.tab_names(), state.visible("tabs")),
                  ([SERVER_TAB], True))
    op.wait_screen(s.tally, "shows the kick", rf"trader was kicked from {CHANNEL} by opirssi \[enough for today\]")

    op.type("/clear")
    s.log_in(probe, 0, "trader")
    s.wait_joined(probe, 0, "trader", ["@opirssi", "trader"])
    op.wait_screen(s.tally, "sees trader back", rf"trader \[\S+\] has joined {CHANNEL}")


def utf8(s):
    """Cyrillic, accents, a check mark and an emoji both ways between the
    module and irssi in a UTF-8 terminal, in the channel and in private; an
    old client's Windows-1251 still reads right in the module."""
    texts = ["Привет, мир", "café ✓", "smile \U0001F600 ok"]
    op = s.irssi("ira")
    op.wait_screen(s.tally, "connected", r"Welcome to the")
    op.type(f"/join {CHANNEL}")
    op.wait_screen(s.tally, "joined", rf"ira \[\S+\] has joined {CHANNEL}")
    old = s.wire("oldie")
    old.send(f"JOIN {CHANNEL}")
    probe = s.probe(1)
    s.log_in(probe, 0, "trader")
    s.wait_joined(probe, 0, "trader", ["@ira", "oldie", "trader"])

    for text in texts:
        op.type(text)
        s.wait(probe, 0, f"shows irssi's '{text}'", lambda st, text=text: st.has_line(CHANNEL, f"<ira> {text}"))
    # Cyrillic is typed; what code page 1251 lacks comes from the clipboard.
    probe.act(f"say 0 {texts[0]}")
    for text in texts[1:]:
        probe.act(f"paste 0 {text}")
    for text in texts:
        op.wait_screen(s.tally, f"shows the module's '{text}'", rf"trader> {re.escape(text)}$")
    state = probe.state(0)
    for text in texts:
        s.tally.check(f"echo of '{text}'", state.has_line(CHANNEL, f"<trader> {text}"), state.text(CHANNEL))

    private = " / ".join(texts)
    op.type(f"/msg trader {private}")
    s.wait(probe, 0, "a private tab shows irssi's line", lambda st: st.has_line("ira", f"<ira> {private}"))
    probe.act(f"paste 0 {private} ←")
    op.type("/window 1")
    op.wait_screen(s.tally, "shows the module's private answer", rf"trader.*{re.escape(private)} ←$")
    status_window = op.screen()
    op.type("/window 2")
    op.wait_screen(s.tally, "back in the channel window", rf"trader> {re.escape(texts[-1])}$")
    channel_window = op.screen()

    old.send(f"PRIVMSG {CHANNEL} :".encode() + "Привет из 1251, ёлка".encode("cp1251"))
    s.wait(probe, 0, "shows the old client's Windows-1251 line",
           lambda st: st.has_line(CHANNEL, "<oldie> Привет из 1251, ёлка"))

    # The picture is taken once the window reads as the user should see it:
    # the channel selected, its lines and its list there.
    probe.act("select 0 1")
    s.wait(probe, 0, "the channel is selected, with its lines and users",
           lambda st: st.selected == 1 and st.users == ["@ira", "oldie", "trader"]
           and all(st.has_line(CHANNEL, f"<{nick}> {text}") for nick in ("ira", "trader") for text in texts))
    shots = os.path.join(s.options.source, "out", "screenshots")
    os.makedirs(shots, exist_ok=True)
    name = f"utf8-chat-{s.options.server}-{state.bits}bit"
    colours = probe.picture(os.path.join(shots, name + ".png"))
    # A painted chat window has many colours, among them its lines' own:
    # a blank, one-colour or unpainted picture has neither.
    s.tally.check(f"the picture is of a painted window: {len(colours)} colours, the chat's and the own lines' "
                  "among them", len(colours) >= PAINTED_COLOURS and all(tuple(style[0]) in colours
                                                                          for style in (CHAT, OWN)),
                  sorted(colours)[:20])
    with open(os.path.join(shots, name + "-irssi.txt"), "w", encoding="utf-8") as screen:
        screen.write(f"irssi, channel window:\n{channel_window}\n\nirssi, status window:\n{status_window}\n")
    print(f"pictures: out/screenshots/{name}.png, {name}-irssi.txt", flush=True)


def paste(s):
    """A paste of 40 lines of about 300 bytes against a server with the usual
    flood limits: the module paces them, stays connected, and irssi reads
    all 40 in order. The same lines sent twice at once by a raw client get
    it dropped."""
    lines = [f"{i:02d} " + ("a long pasted paragraph about the copper lot and its price, " * 6)[:297]
             for i in range(1, 41)]
    reader = s.irssi("reader")
    reader.wait_screen(s.tally, "connected", r"Welcome to the")
    reader.type(f"/join {CHANNEL}")
    reader.wait_screen(s.tally, "joined", rf"reader \[\S+\] has joined {CHANNEL}")
    log = os.path.join(s.options.workdir, "channel.log")
    reader.type(f"/log open -targets {CHANNEL} {log}")
    probe = s.probe(1)
    s.log_in(probe, 0, "paster")
    s.wait_joined(probe, 0, "paster", ["@reader", "paster"])

    started = time.monotonic()
    probe.act("paste 0 " + "\\n".join(lines))

    def arrived():
        """The module's lines in irssi's log, once there are all of them."""
        try:
            with open(log, encoding="utf-8", errors="replace") as text:
                found = [entry.split("paster> ", 1)[1] for entry in text.read().splitlines() if "paster> " in entry]
        except OSError:
            return None
        return found if len(found) >= len(lines) else None

    found = poll(arrived, 150, interval=0.5)
    elapsed = time.monotonic() - started
    s.tally.equal("irssi read all 40 lines, in order", found, lines)
    print(f"the 40 pasted lines reached irssi in {elapsed:.1f} s", flush=True)
    state = s.wait(probe, 0, "the module says all lines went",
                   lambda st: st.has_line(CHANNEL, "*** Все строки отправлены"))
    s.tally.check("the module is still connected and on the channel",
                  state.on_chat_panel() and state.usable("input") and state.users == ["@reader", "paster"],
                  state.summary())

    flooder = s.wire("flooder")
    since = flooder.mark()
    flooder.send(f"JOIN {CHANNEL}")
    s.tally.require("the raw client joined", flooder.wait(rb" JOIN ", since) is not None)
    # inspircd reads 10 KB at a time and runs up to ten lines of it at once
    # (its threshold, less what the client's registration and join still
    # weigh): the 40 lines (12.9 KB) pass its 10 KB RecvQ by a few lines
    # only, and a client that waited three seconds after its join is not
    # dropped. Twice the paste (25.8 KB) passes it however long it waited.
    flooder.send(*[f"PRIVMSG {CHANNEL} :{line}" for line in lines * 2])
    closing = flooder.wait(rb"^ERROR ", since, timeout=30)
    s.tally.check("the raw client that sent the paste twice at once is dropped for flooding",
                  closing is not None and (b"RecvQ" in closing or b"Flood" in closing), closing)
    print(f"the server to the raw client: {closing.decode(errors='replace') if closing else None}", flush=True)


def restart(s):
    """The server and its NickServ stop and start again mid-session: the
    module comes back by itself, as irssi does, keeping its tabs and what
    was typed, identifies again and rejoins."""
    nick, password, email, draft = "keeper", "bazaar77", "keeper@example.org", "and the tin lot, at last"
    servers = Servers(s.options.source, s.options.rundir)
    op = s.irssi("stayer")
    op.wait_screen(s.tally, "connected", r"Welcome to the")
    op.type(f"/join {CHANNEL}")
    irssi_joined = rf"stayer \[\S+\] has joined {CHANNEL}"
    op.wait_screen(s.tally, "joined", irssi_joined)
    probe = s.probe(1)
    s.log_in(probe, 0, nick, password, email)
    s.wait(probe, 0, "NickServ registers the nick, on the channel with irssi",
           lambda st: st.has_line(SERVER_TAB, f"-NickServ- {nick} is now registered to {email}, with the password "
                                  f"{password}.") and st.users == ["@stayer", nick] and st.usable("input"))
    probe.act("say 0 the copper lot is sold")
    op.wait_screen(s.tally, "reads the module's line", rf"{nick}> the copper lot is sold$")
    probe.act(f"type 0 {draft}")
    before = s.wait(probe, 0, "shows its own line, the next one typed and not sent",
                    lambda st: st.has_line(CHANNEL, f"<{nick}> the copper lot is sold") and st.input_field == draft)

    def new_lines(state, tab):
        return state.lines(tab)[len(before.lines(tab)):]

    def restored(state):
        return all(RESTORED in new_lines(state, tab) for tab in (SERVER_TAB, CHANNEL)) and \
            sorted(user.lstrip("@+") for user in state.users) == [nick, "stayer"] and state.usable("input")

    down = time.monotonic()
    print(servers.stop().strip(), flush=True)
    s.tally.require("the server is gone", not port_open(s.port))
    print(servers.start(s.options.server).strip(), flush=True)
    print(servers.start("atheme", s.options.server).strip(), flush=True)
    print(f"server and NickServ back {time.monotonic() - down:.1f} s after the stop", flush=True)

    # Both come back on their own timers: each is timed from the stop.
    back, last = {}, []

    def both_back():
        last[:] = [probe.state(0)]
        if "module" not in back and restored(last[0]):
            back["module"] = time.monotonic() - down
        if "irssi" not in back and len(re.findall(irssi_joined, op.screen())) == 2:
            back["irssi"] = time.monotonic() - down
        return len(back) == 2

    poll(both_back, 60, interval=0.15)
    print(f"back after the stop: {', '.join(f'{who} {at:.1f} s' for who, at in back.items()) or 'neither'}",
          flush=True)
    s.tally.check("irssi: reconnects and rejoins by itself", "irssi" in back, op.screen())
    s.tally.require("window 0: reconnects by itself and rejoins, the restored line in both tabs",
                    "module" in back, last[0].summary())

    state = last[0]
    for tab in (SERVER_TAB, CHANNEL):
        lines = new_lines(state, tab)
        drops = [index for index, line in enumerate(lines) if DROPPED.match(line)]
        first = DROPPED.match(lines[drops[0]]) if drops else None
        s.tally.check(f"{tab}: the first drop line names attempt 1 and a delay of 2 to 7 s, the restored line "
                      "follows the last", first and first[3] == "1" and 2 <= int(first[2]) <= 7
                      and RESTORED in lines[drops[-1]:], lines)
        s.tally.equal(f"{tab}: the text from before the stop is kept", state.lines(tab)[:len(before.lines(tab))],
                      before.lines(tab))
    s.expect_colour(probe, 0, 0, "*** Соединение потеряно", CONNECTION)
    s.tally.equal("the tabs and the typed text are kept", (state.tab_names(), state.input_field),
                  (before.tab_names(), draft))
    probe.act(f"say 0 {draft}")
    op.wait_screen(s.tally, "reads the module's next line", rf"{nick}> {re.escape(draft)}$")

    found = poll(lambda: s.logged_in(new_lines(probe.state(0), SERVER_TAB), nick), 30)
    state = probe.state(0)
    for tab in (SERVER_TAB, CHANNEL):
        print(f"[{tab}] after the stop:\n  " + "\n  ".join(new_lines(state, tab)), flush=True)
    s.tally.check("window 0: logs the nick in again (by SASL where the server offers it, else by NickServ)",
                  found, "no log-in line in the server tab above")


def tls(s):
    """NickServ registers the module's nick and identifies it, and the module
    chats with irssi: once on the server's plain port, once on its TLS port,
    irssi on the same port as the module. Each port's traffic is captured:
    the password crosses the plain port in clear (so the check can fail),
    the TLS port only inside TLS records."""
    s.server_tab = "localhost"
    probe = s.probe(1)
    watcher = s.wire("watcher")
    plain = services_and_chat(s, probe, watcher, "plain", s.port)
    encrypted = services_and_chat(s, probe, watcher, "tls", s.options.tls_port)

    secrets = (b"PRIVMSG NickServ :register plainPass77 ", b"PRIVMSG NickServ :identify plainPass77\r\n",
               b"the copper lot is ours")
    sent = b"".join(data for (_, way), data in plain.items() if way == "sent")
    for secret in secrets:
        s.tally.check(f"plain port: the capture shows '{secret.decode().strip()}' in clear", secret in sent,
                      sent[-600:])

    # The module's two connections and irssi's.
    s.tally.equal("TLS port: connections captured", len({client for client, _ in encrypted}), 3)
    for (client, way), data in sorted(encrypted.items()):
        s.tally.check(f"TLS port, connection {client} {way}: {len(data)} bytes, all in TLS records, "
                      "no password, no chat text",
                      whole_tls_records(data) and b"tlsPass77" not in data and b"the copper lot is ours" not in data,
                      data[:64])


def services_and_chat(s, probe, watcher, name, port):
    """Registration, a chat with irssi and an identify on port; returns what
    crossed it (Capture.stop)."""
    nick, password, email = f"{name}user", f"{name}Pass77", f"{name}@example.org"
    workdir = os.path.join(s.options.workdir, name)
    os.makedirs(workdir)
    capture = Capture(workdir, name, port)
    s.cleanups.append(capture.stop)
    authority = s.options.authority if port == s.options.tls_port else None
    op = Irssi(workdir, port, f"{name}irc", "localhost", authority)
    s.cleanups.append(op.close)
    op.wait_screen(s.tally, f"{name}: connected", r"Welcome to the")
    op.type(f"/join {CHANNEL}")
    op.wait_screen(s.tally, f"{name}: joined", rf"{name}irc \[\S+\] has joined {CHANNEL}")

    s.log_in_to(probe, 0, port, nick, password, email)
    registered = f"-NickServ- {nick} is now registered to {email}, with the password {password}."
    state = s.wait(probe, 0, f"{name}: NickServ registers the nick",
                   lambda st: st.has_line("localhost", registered) and st.has_line(CHANNEL, JOINED))
    encrypted = [line for line in state.lines("localhost") if line.startswith("*** Соединение зашифровано")]
    if authority:
        s.tally.check("tls: the server tab says the connection is encrypted and the certificate checked",
                      len(encrypted) == 1 and re.fullmatch(r"\*\*\* Соединение зашифровано \(TLS 1\.[23]\), "
                                                           r"сертификат сервера проверен\.", encrypted[0]),
                      state.text("localhost"))
    else:
        s.tally.equal("plain: no word of encryption", encrypted, [])

    probe.act("say 0 the copper lot is ours")
    op.wait_screen(s.tally, f"{name}: irssi reads the module's line", rf"{nick}> the copper lot is ours$")
    op.type("agreed, the copper lot is yours")
    s.wait(probe, 0, f"{name}: shows irssi's line",
           lambda st: st.has_line(CHANNEL, f"<{name}irc> agreed, the copper lot is yours"))

    probe.act("logout 0")
    s.wait(probe, 0, f"{name}: back on the login panel", lambda st: st.on_login_panel())
    s.wait_nick_gone(watcher, nick)
    s.log_in_to(probe, 0, port, nick, password)
    s.wait(probe, 0, f"{name}: NickServ identifies the nick",
           lambda st: st.has_line("localhost", f"-NickServ- You are now identified for {nick}.")
           and st.has_line(CHANNEL, JOINED))
    probe.act("logout 0")
    s.wait(probe, 0, f"{name}: back on the login panel", lambda st: st.on_login_panel())
    s.wait_nick_gone(watcher, nick)
    op.close()
    return capture.stop()


def whole_tls_records(data):
    """Whether data is a run of whole TLS records (type 20-23, version 3.x)."""
    offset = 0
    while offset + 5 <= len(data):
        if data[offset] not in (20, 21, 22, 23) or data[offset + 1] != 3:
            return False
        offset += 5 + int.from_bytes(data[offset + 3:offset + 5], "big")
    return offset == len(data) and offset > 0


SCENARIOS = {"chat": chat, "nickserv": nickserv, "sasl": sasl, "irssi": irssi, "utf8": utf8, "paste": paste,
             "restart": restart, "tls": tls}
NEEDS = {"chat": [], "nickserv": [], "sasl": ["irssi", "tmux"], "irssi": ["irssi", "tmux"],
         "utf8": ["irssi", "tmux"], "paste": ["irssi", "tmux"], "restart": ["irssi", "tmux"],
         "tls": ["irssi", "tmux", "tcpdump"]}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--scenario", choices=sorted(SCENARIOS), required=True)
    parser.add_argument("--server", choices=["ngircd", "inspircd"], required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--rundir")
    parser.add_argument("--tls-port", type=int)
    parser.add_argument("--authority")
    parser.add_argument("--prefix")
    options = parser.parse_args()

    shutil.rmtree(options.workdir, ignore_errors=True)
    os.makedirs(options.workdir)
    tally = Tally()
    scenario = Scenario(options, tally)
    started = time.monotonic()
    print(f"{options.scenario} against {options.server} on 127.0.0.1:{options.port}", flush=True)
    try:
        missing = missing_programs(*NEEDS[options.scenario])
        tally.require("programs installed", not missing,
                      f"missing: {' '.join(missing)} (tools/install-deps.sh installs them)")
        tally.require(f"{options.server} answers on port {options.port}", port_open(options.port),
                      "the fixture that starts it failed or was not run")
        SCENARIOS[options.scenario](scenario)
    except Failed as failure:
        if not failure.counted:
            tally.check("the scenario ran to its end", False, str(failure))
    except Exception as error:
        tally.check("the scenario ran to its end", False, f"{type(error).__name__}: {error}")
    finally:
        scenario.close()
    print(f"{options.scenario}/{options.server}: {time.monotonic() - started:.1f} s", flush=True)
    print(tally.closing_line(), flush=True)
    return 1 if tally.failed else 0


if __name__ == "__main__":
    sys.exit(main())
