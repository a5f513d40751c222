#!/usr/bin/env python3
"""Writes the hostile transcripts: raw bytes a server (or other users through
it) might send to a logged-in window whose nick is "tester" and which has
joined #marketbay. Each subfolder is one kind of attack; the replay tool plays
every file and CTest runs one test per file.

    make-corpus.py [DIR]     (default: the folder of this script)

The output is deterministic; the files are checked in beside this script.
"""
import os
import sys

SERVER = b":irc.test"
ALICE = b":alice!a@example.net"


def lines(*items):
    return b"".join(item + b"\r\n" for item in items)


def framing():
    text = b"x" * 5000
    yield "overlong-line", lines(ALICE + b" PRIVMSG #marketbay :" + text, ALICE + b" PRIVMSG #marketbay :after")
    yield "overlong-without-line-feed", b"y" * 10000 + b"\r\n" + lines(ALICE + b" PRIVMSG #marketbay :after")
    edge = []
    for size in (2045, 2046, 2047, 2048, 2049, 2050):
        head = ALICE + b" PRIVMSG #marketbay :"
        edge.append(head + b"e" * (size - len(head)))
    yield "lines-at-buffer-edge", lines(*edge)
    yield "overlong-ping", lines(b"PING :" + b"p" * 1500, b"PING " + b"q" * 600, b"PING :short")
    yield "cr-without-lf", (ALICE + b" PRIVMSG #marketbay :one\r" + ALICE + b" PRIVMSG #marketbay :two\r"
                            + b"PING :three\r" + b"\r" * 300 + lines(b"PING :after"))
    yield "line-feed-only", (ALICE + b" PRIVMSG #marketbay :one\n" + b"PING :two\n\r" + b"\n" * 500
                             + ALICE + b" PRIVMSG #marketbay :three\n\r\n")
    yield "nul-bytes", lines(ALICE + b" PRIVMSG #marketbay :be\x00fore", b"PING :to\x00ken",
                             b"\x00" * 100, ALICE + b"\x00 PRIVMSG #marketbay :x", b"\x00PING :y",
                             ALICE + b" PRIVMSG tester :\x01VERSION\x00\x01")
    yield "empty-lines", lines(b"", b" ", b":", b": ", b"::", b":irc.test", b":irc.test ", b"  PING  ",
                               *([b""] * 500)) + b"\n" * 200
    yield "burst-3000-lines", lines(*(b":u%d!u@h PRIVMSG #marketbay :burst line %d" % (i % 50, i)
                                      for i in range(3000)))
    yield "high-bytes", lines(bytes(range(0x80, 0x100)), ALICE + b" \xff\xfe PRIVMSG #marketbay",
                              b":\xff\xff!\xff@\xff PRIVMSG #marketbay :\xff" + bytes(range(1, 32)),
                              ALICE + b" PRIVMSG \xef\xbb\xbf#marketbay :bom")


def tokens():
    yield "unclosed-quotes", lines(ALICE + b" PRIVMSG #marketbay :\"unclosed", ALICE + b" PRIVMSG \"#marketbay :x",
                                   b":\"alice!a@h PRIVMSG #marketbay :x", ALICE + b" 'PRIVMSG #marketbay :x",
                                   SERVER + b" 311 tester \"bob u h * :real", SERVER + b" 353 tester = #marketbay :\"a 'b",
                                   b"\"" * 3000, b"'" * 3000)
    yield "quoted-prefixes", lines(b":\"alice!a@h\" PRIVMSG #marketbay :x", b":'' PRIVMSG #marketbay :x",
                                   b":\"\" JOIN :#marketbay", b"\":alice!a@h\" PRIVMSG tester :x",
                                   b":'alice' NICK :'bob'", b":\"a b c\"!x@y PRIVMSG tester :quoted spaces")
    nick = b"n" * 1000
    yield "long-nicks", lines(b":" + nick + b"!u@h PRIVMSG #marketbay :x", b":" + nick + b"!u@h PRIVMSG tester :x",
                              b":" + nick + b"!u@h JOIN :#marketbay", b":" + nick + b"!u@h NOTICE tester :x",
                              b":" + nick + b"!u@h PART #marketbay :x", b":" + nick + b"!u@h QUIT :x",
                              b":" + nick + b" PRIVMSG tester :no user or host",
                              SERVER + b" 311 tester " + nick + b" u h * :real",
                              SERVER + b" 353 tester = #marketbay :" + nick + b" @" + nick)
    target = b"#" + b"t" * 1000
    yield "long-targets", lines(ALICE + b" PRIVMSG " + target + b" :x", ALICE + b" PRIVMSG " + b"t" * 1000 + b" :x",
                                ALICE + b" NOTICE " + target + b" :x", ALICE + b" TOPIC " + target + b" :x",
                                ALICE + b" MODE " + target + b" +o tester",
                                SERVER + b" 332 tester " + target + b" :topic",
                                SERVER + b" 401 tester " + b"t" * 1000 + b" :No such nick")
    yield "odd-prefixes", lines(b": PRIVMSG #marketbay :x", b":! PRIVMSG #marketbay :x", b":@ PRIVMSG #marketbay :x",
                                b":!@ PRIVMSG tester :x", b":a!b!c@d@e PRIVMSG tester :x", b"::alice PRIVMSG tester :x",
                                b":alice!a@h", b":alice!a@h ", b":alice!a@h :PRIVMSG")
    yield "blanks", lines(ALICE + b"    PRIVMSG     #marketbay     :spaced", ALICE + b"\tPRIVMSG\t#marketbay\t:tabs",
                          b"   " + ALICE + b" PRIVMSG #marketbay :leading", ALICE + b" PRIVMSG #marketbay " + b" " * 3000,
                          b" " * 3000)


COMMANDS = [b"JOIN", b"PART", b"QUIT", b"KICK", b"NICK", b"MODE", b"TOPIC", b"PRIVMSG", b"NOTICE", b"PING",
            b"ERROR"]
NUMERICS = [b"001", b"311", b"312", b"317", b"318", b"319", b"332", b"333", b"353", b"366", b"401", b"432", b"433"]


def missing():
    for command in COMMANDS:
        yield command.decode().lower(), lines(ALICE + b" " + command, ALICE + b" " + command + b" ",
                                              ALICE + b" " + command + b" :", b":tester!t@h " + command,
                                              command, command + b" :", b":irc.test " + command)
    for numeric in NUMERICS:
        yield numeric.decode(), lines(SERVER + b" " + numeric, SERVER + b" " + numeric + b" ",
                                      SERVER + b" " + numeric + b" tester", SERVER + b" " + numeric + b" tester :",
                                      numeric, b":" + numeric)


def numbers():
    bad = [b"-1", b"0", b"2147483647", b"2147483648", b"4294967295", b"4294967296", b"-2147483649",
           b"99999999999999999999999999", b"abc", b"12abc", b"", b"+5", b"0x10", b"1e9"]
    yield "idle-seconds", lines(*(SERVER + b" 317 tester bob " + n + b" 1700000000 :seconds idle, signon time"
                                  for n in bad))
    yield "times", lines(*([SERVER + b" 317 tester bob 5 " + n + b" :seconds idle, signon time" for n in bad]
                           + [SERVER + b" 333 tester #marketbay alice " + n for n in bad]
                           + [SERVER + b" 333 tester #marketbay alice!a@h " + n for n in bad]))
    yield "ping-reply-slots", lines(*(ALICE + b" NOTICE tester :\x01PING " + n + b"\x01" for n in bad + [b"511", b"512",
                                                                                                          b"513"]))


def ctcp():
    request = ALICE + b" PRIVMSG tester :"
    yield "empty", lines(request + b"\x01", request + b"\x01\x01", request + b"\x01 \x01", request + b"\x01 ",
                         ALICE + b" NOTICE tester :\x01", ALICE + b" NOTICE tester :\x01\x01",
                         ALICE + b" PRIVMSG #marketbay :\x01\x01")
    yield "unterminated", lines(request + b"\x01VERSION", request + b"\x01PING 123", request + b"\x01ACTION waves",
                                request + b"\x01FINGER", ALICE + b" NOTICE tester :\x01VERSION x")
    yield "repeated", lines(request + b"\x01VERSION\x01\x01VERSION\x01\x01PING 1\x01",
                            request + b"\x01PING a\x01 text \x01PING b\x01",
                            ALICE + b" NOTICE tester :\x01PING 1\x01\x01PING 2\x01")
    long = b"z" * 2000
    yield "long-parameters", lines(request + b"\x01PING " + long + b"\x01", request + b"\x01FOO " + long + b"\x01",
                                   request + b"\x01" + long + b"\x01", request + b"\x01ACTION " + long + b"\x01",
                                   ALICE + b" NOTICE tester :\x01VERSION " + long + b"\x01",
                                   ALICE + b" NOTICE tester :\x01PING " + long + b"\x01")
    yield "cr-in-parameter", lines(request + b"\x01PING a\rNICK evil\x01", request + b"\x01PING a\rb\x01",
                                   request + b"\x01PING \r\x01", request + b"\x01VERSION\r\x01",
                                   request + b"\x01PING a\x00QUIT\x01")
    yield "flood-200", lines(*(b":f%d!f@h PRIVMSG %s :\x01%s\x01" % (i % 7, b"tester" if i % 3 else b"#marketbay",
                                                                     b"VERSION" if i % 2 else b"PING %d" % i)
                               for i in range(200)))


def format_codes():
    d = b"%s%n%x%p%d%%"
    yield "printf-directives", lines(
        b":" + d + b"!" + d + b"@" + d + b" PRIVMSG #marketbay :" + d,
        b":" + d + b"!u@h PRIVMSG tester :" + d,
        b":" + d + b"!u@h NOTICE tester :" + d,
        b":" + d + b"!u@h JOIN :#marketbay",
        b":" + d + b"!u@h PART #marketbay :" + d,
        b":" + d + b"!u@h QUIT :" + d,
        b":" + d + b"!u@h NICK :" + d + b"2",
        b":" + d + b"!u@h TOPIC #marketbay :" + d,
        b":" + d + b"!u@h MODE #marketbay +v " + d,
        b":" + d + b"!u@h PRIVMSG #marketbay :\x01ACTION " + d + b"\x01",
        b":" + d + b"!u@h PRIVMSG tester :\x01" + d + b" " + d + b"\x01",
        b":" + d + b"!u@h NOTICE tester :\x01" + d + b" " + d + b"\x01",
        b"NOTICE AUTH :*** " + d, d + b" " + d + b" :" + d,
        SERVER + b" 311 tester " + d + b" " + d + b" " + d + b" * :" + d,
        SERVER + b" 312 tester " + d + b" " + d + b" :" + d,
        SERVER + b" 317 tester " + d + b" 5 1700000000 :" + d,
        SERVER + b" 318 tester " + d + b" :" + d, SERVER + b" 319 tester " + d + b" :" + d,
        SERVER + b" 332 tester #marketbay :" + d, SERVER + b" 333 tester #marketbay " + d + b" 1700000000",
        SERVER + b" 353 tester = #marketbay :" + d, SERVER + b" 366 tester #marketbay :" + d,
        SERVER + b" 401 tester " + d + b" :" + d, SERVER + b" 999 tester " + d + b" :" + d,
        b":" + d + b"!u@h KICK #marketbay " + d + b" :" + d)
    # ERROR closes every tab but the server's: alone, so that the others are read.
    yield "printf-in-error", lines(b"ERROR :Closing link " + d, b"NOTICE AUTH :*** " + d, b"ERROR " + d)
    ends = [b"\x03", b"\x031", b"\x0312", b"\x0312,", b"\x0312,3", b"\x0399,99", b"\x02", b"\x1f", b"\x16", b"\x0f",
            b"\x03,", b"\x03,5"]
    yield "codes-at-the-end", lines(*(ALICE + b" PRIVMSG #marketbay :text" + end for end in ends),
                                    *(ALICE + b" PRIVMSG tester :" + end for end in ends),
                                    *(b":" + end + b"!u@h PRIVMSG #marketbay :nick ends" for end in ends))
    head = ALICE + b" PRIVMSG #marketbay :"
    at = []
    for boundary in (511, 512, 1023, 1024, 1025, 2040, 2046):
        for code in (b"\x03", b"\x0312,34", b"\x02"):
            filler = max(0, boundary - len(head) - 1)
            at.append(head + b"b" * filler + code + b"after")
    yield "codes-at-boundaries", lines(*at)
    yield "hundreds-of-codes", lines(head + b"\x03" * 1500, head + b"\x0304,05" * 300, head + b"\x02\x1f\x16\x0f" * 450,
                                     head + b"\x03" + b"1" * 1800, head + b"\x0399," + b"9" * 1800,
                                     ALICE + b" TOPIC #marketbay :" + b"\x034" * 600)


def state():
    yield "nick-empty", lines(b":tester!t@h NICK :", b":tester!t@h NICK", b":tester!t@h NICK ", b":alice!a@h NICK :",
                              ALICE + b" PRIVMSG tester :after")
    long = b"L" * 1000
    yield "nick-long", lines(b":tester!t@h NICK :" + long, b":" + long + b"!t@h PRIVMSG #marketbay :me",
                             ALICE + b" PRIVMSG " + long + b" :to the new nick", b":" + long + b"!t@h NICK :tester",
                             ALICE + b" NICK :" + long)
    # Being kicked ends the connection: each kick of "tester" is the last
    # line of its transcript, so that every line before it is read.
    yield "kick-part-unjoined", lines(b":op!o@h KICK #nowhere alice :bye", b":tester!t@h PART #nowhere :bye",
                                      ALICE + b" PART #nowhere", b":tester!t@h PART nowhere",
                                      b":op!o@h KICK #marketbay nobody :x", b":op!o@h KICK #nowhere tester :bye")
    yield "kick-without-channel", lines(ALICE + b" PRIVMSG #marketbay :before", b":op!o@h KICK nowhere TESTER")
    yield "names-10000", lines(*(SERVER + b" 353 tester = #marketbay :u%d @o%d +v%d" % (i, i, i) for i in range(10000)),
                               SERVER + b" 366 tester #marketbay :End of /NAMES list.")
    yield "private-senders-150", lines(*(b":p%d!p@h PRIVMSG tester :hello %d" % (i, i) for i in range(150)),
                                       *(b":p%d!p@h PRIVMSG tester :again %d" % (i, i) for i in range(150)))


def encoding():
    """UTF-8 that is not, and characters that would disguise a line."""
    say = ALICE + b" PRIVMSG #marketbay :"
    yield "broken-utf8", lines(say + b"over\xc0\xaflong", say + b"surrogate \xed\xa0\x80\xed\xbf\xbf",
                               say + b"cut \xe2\x9c", say + b"\xf4\x90\x80\x80 past U+10FFFF",
                               say + b"\x80\x80\x80 continuations", say + b"\xf0\x9f\x98\x80 ok",
                               b":\xd0\x92\xd0!u@h PRIVMSG tester :torn nick", b":\xc0!u@h PRIVMSG tester :x")
    disguise = "\u202e\u2066\u2069\u2028\u2029\u0085\ufeff".encode()
    yield "disguising-characters", lines(say + disguise * 40, b":" + disguise + b"!u@h PRIVMSG tester :hi",
                                         b":" + "\u202eanya".encode() + b"!u@h JOIN :#marketbay",
                                         b":irc.test 353 tester = #marketbay :" + disguise + b" @" + disguise)
    # Combining marks with no base of their own script, which Wine's
    # Uniscribe on 64-bit takes as the first glyph of a run and dies on, and
    # marks stacked on one letter.
    x = b":x!u@h PRIVMSG #marketbay :"
    yield "lone-marks", lines(x + "\u064e".encode(), x + "\u05b8".encode(), "\u05b8".encode(),
                              x + "n\u05b8".encode(), x + "\u05d0\u05b8 kept".encode(),
                              x + "\u05d0\x034\u05b8".encode(), x + ("a" + "\u0301" * 30 + " stack").encode(),
                              x + "e\u0301 kept".encode())
    # Lines of 2,047 bytes and more that end inside a character.
    letters = "я".encode() * 1100
    yield "cut-inside-letters", lines(*(say + b"a" * pad + letters for pad in range(4)))


def tags():
    """Message tags on every kind of line the window handles, each shown and
    answered as the same line without its tags, no tag's text shown."""
    sections = [b"time=2026-12-09T06:00:00.000Z;msgid=TAGSHOWN1", b"account=alice;+draft/reply=TAGSHOWN\\s2\\:x",
                b"+example.com/TAGSHOWN3=\\\\;empty=;bare", b""]
    bob = b":bob!b@example.net"
    untagged = [SERVER + b" 332 tester #marketbay :the topic",
                SERVER + b" 353 tester = #marketbay :@op +voiced plain tester",
                SERVER + b" 366 tester #marketbay :End of /NAMES list.", ALICE + b" PRIVMSG tester :hello you",
                ALICE + b" NOTICE tester :a notice", ALICE + b" PRIVMSG tester :\x01VERSION\x01",
                ALICE + b" PRIVMSG #marketbay :\x01ACTION waves\x01", bob + b" JOIN :#marketbay", bob + b" NICK :robert",
                b":op!o@h MODE #marketbay +o robert", b":op!o@h KICK #marketbay robert :bye",
                b":carol!c@h JOIN :#marketbay", b":carol!c@h PART #marketbay :leaving", b":dave!d@h JOIN :#marketbay",
                b":dave!d@h QUIT :gone", b"PING :tagged-ping"]
    tagged = [b"@" + sections[i % len(sections)] + b" " + line for i, line in enumerate(untagged)]
    # Tags that are not UTF-8 have no say on the text's encoding.
    cp1251_tags = b"@k=\xff\xfeTAGSHOWN4 " + ALICE + b" PRIVMSG #marketbay :" + "привет, канал".encode()
    huge = b"@+example.com/TAGSHOWN5=" + b"h" * 8000 + b" " + ALICE + b" PRIVMSG #marketbay :after huge tags"
    yield "every-kind", lines(*tagged, cp1251_tags, huge, b"@a=TAGSHOWN6;c", b"@TAGSHOWN7=1 ")


def escaped(text):
    """An expectation's text: UTF-8, control bytes and '\\' as \\xNN."""
    return "".join("\\x%02x" % ord(c) if ord(c) < 0x20 or c == "\\" else c for c in text)


def expectation(check):
    """One line of an .expect file; a "shows" check names the tab that shows its text."""
    if check[0] == "shows":
        _, tab, text = check
        return f"shows {tab}: {escaped(text)}\n"
    kind, text = check
    return f"{kind} {escaped(text)}\n"


D = "%s%n%x%p%d%%"
# The tabs of the replayed window's channel and server (the loopback peer).
CHANNEL_TAB = "#marketbay"
SERVER_TAB = "127.0.0.1"
# What the window must show, and must not, once a transcript was played:
# "group/name": [(kind, text)], kinds as the replay tool reads them; a
# "shows" check is (kind, tab, text).
EXPECTATIONS = {
    "framing/overlong-line": [("shows", CHANNEL_TAB, "<alice> " + "x" * 2006 + "\n"),
                              ("shows", CHANNEL_TAB, "<alice> after")],
    "framing/overlong-without-line-feed": [("shows", CHANNEL_TAB, "<alice> after")],
    "framing/cr-without-lf": [("shows", CHANNEL_TAB, "\n<alice> one"), ("lacks", "two"), ("lacks", "three")],
    "framing/line-feed-only": [("shows", CHANNEL_TAB, "\n<alice> one\n"), ("shows", CHANNEL_TAB, "\n<alice> three")],
    "framing/nul-bytes": [("shows", CHANNEL_TAB, "\n<alice> be"), ("lacks", "fore"),
                          ("shows", "alice", "*** ctcp/version request from alice!a@example.net")],
    "framing/burst-3000-lines": [("shows", CHANNEL_TAB, "<u0> burst line 0\n"),
                                 ("shows", CHANNEL_TAB, "<u49> burst line 1499\n"),
                                 ("shows", CHANNEL_TAB, "<u49> burst line 2999")],
    "framing/high-bytes": [("shows", "alice", "<alice> bom"), ("shows", CHANNEL_TAB, "<яя> я\x01\x04\x05\x07\x08\t")],
    "tokens/unclosed-quotes": [("shows", CHANNEL_TAB, '<alice> "unclosed'), ("lists", '"a'), ("lists", "'b")],
    "tokens/long-nicks": [("shows", CHANNEL_TAB, "<" + "n" * 95 + "> x"), ("lists", "n" * 1000),
                          ("lists", "@" + "n" * 1000), ("count", "2")],
    "tokens/odd-prefixes": [("shows", "a", "<a> x"), ("tab", ":alice"), ("lacks", "(null)")],
    "tokens/blanks": [("shows", CHANNEL_TAB, "<alice> leading"), ("lacks", "(null)")],
    "missing/join": [("shows", CHANNEL_TAB, "*** alice приходит"), ("lists", "alice"), ("lists", "irc.test"),
                     ("count", "4")],
    "missing/privmsg": [("tab", "alice"), ("tab", "irc.test"), ("shows", "tester", "\n<tester> "),
                        ("lacks", "(null)")],
    "missing/kick": [("shows", CHANNEL_TAB, "*** Вы находитесь на канале #marketbay"), ("lacks", "(null)")],
    "missing/353": [("shows", SERVER_TAB, "Список пользователей на канале"), ("lacks", "(null)")],
    "missing/432": [("shows", SERVER_TAB, "Неверный ник"), ("tab", "#marketbay"), ("lacks", "(null)")],
    "missing/001": [("shows", SERVER_TAB, "[command:001] "), ("lacks", "(null)")],
    "numbers/idle-seconds": [("shows", SERVER_TAB, "bob idle 2147483647 seconds"),
                             ("shows", SERVER_TAB, "bob idle -2147483648 seconds"),
                             ("lacks", "bob idle 4294967295")],
    "numbers/times": [("shows", CHANNEL_TAB, "Дата установки темы канала: Thu Jan 01 00:00:00 1970"),
                      ("lacks", "(null)")],
    "ctcp/unterminated": [("shows", "alice", "* alice waves"),
                          ("shows", "alice", "*** ctcp/FINGER request from alice")],
    "ctcp/cr-in-parameter": [("lacks", "NICK evil"), ("lacks", "QUIT"),
                             ("shows", "alice", "*** ctcp/version request from alice!a@example.net")],
    "ctcp/flood-200": [("tab", "f6"), ("shows", "f3", "*** ctcp/version request from f3!f@h")],
    "ctcp/long-parameters": [("shows", "alice", "*** ctcp/FOO request from alice: zzz"),
                             ("shows", "alice", "* alice zzz")],
    "format/printf-directives": [("shows", CHANNEL_TAB, "<" + D + "> " + D + "\n"),
                                 ("shows", CHANNEL_TAB, "*** " + D + " приходит"),
                                 ("shows", SERVER_TAB, "-" + D + "- " + D), ("lacks", "(null)"), ("lacks", "(nil)")],
    "format/printf-in-error": [("shows", SERVER_TAB, "\n*** " + D + "\n"),
                               ("shows", SERVER_TAB, "\n-127.0.0.1- *** " + D + "\n"),
                               ("lacks", "(null)")],
    "format/codes-at-the-end": [("shows", CHANNEL_TAB, "<alice> text,99\n"), ("lacks", "\x03"), ("lacks", "\x02"),
                                ("lacks", "\x1f"), ("lacks", "\x16"), ("lacks", "\x0f")],
    "format/hundreds-of-codes": [("shows", CHANNEL_TAB, "<alice> " + "1" * 1798 + "\n"),
                                 ("shows", CHANNEL_TAB, "<alice> ,05,05,05"),
                                 ("lacks", "\x03"), ("lacks", "\x02")],
    "format/codes-at-boundaries": [("shows", CHANNEL_TAB, "bafter"), ("lacks", "\x03"), ("lacks", "\x02")],
    "state/nick-long": [("shows", "alice", "<alice> to the new nick"), ("lists", "tester"), ("count", "3")],
    "state/nick-empty": [("shows", "alice", "<alice> after"), ("tab", "alice")],
    "state/names-10000": [("count", "30000"), ("lists", "@o9999"), ("lists", "+v0"), ("lists", "u5000")],
    "state/private-senders-150": [("tab", "p97"), ("lacks", "<p98>"), ("shows", "p0", "<p0> again 0")],
    "state/kick-part-unjoined": [("shows", SERVER_TAB, "*** ты был выкинут с канала #nowhere пользователем op (bye)")],
    "state/kick-without-channel": [("shows", SERVER_TAB, "*** ты был выкинут с канала nowhere пользователем op ()")],
    "encoding/broken-utf8": [("shows", CHANNEL_TAB, "<alice> \U0001F600 ok"),
                             ("shows", CHANNEL_TAB, "<alice> overАЇlong"),
                             ("shows", "Р’Р", "torn nick")],
    "encoding/disguising-characters": [("lacks", "\u202e"), ("lacks", "\u2066"), ("lacks", "\ufeff"),
                                       ("shows", CHANNEL_TAB, "anya приходит")],
    "encoding/lone-marks": [("shows", CHANNEL_TAB, "<x> \u25cc\u200d\u064e\n"),
                            ("shows", CHANNEL_TAB, "<x> \u25cc\u200d\u05b8\n"),
                            ("shows", SERVER_TAB, "\u25cc\u200d\u05b8"),
                            ("shows", CHANNEL_TAB, "<x> n\u25cc\u200d\u05b8\n"),
                            ("shows", CHANNEL_TAB, "<x> \u05d0\u05b8 kept"),
                            ("shows", CHANNEL_TAB, "<x> \u05d0\u25cc\u200d\u05b8\n"),
                            ("shows", CHANNEL_TAB, "<x> a" + "\u0301" * 4 + " stack"),
                            ("shows", CHANNEL_TAB, "<x> e\u0301 kept")],
    "encoding/cut-inside-letters": [("shows", CHANNEL_TAB, "<alice> aaaяяя"), ("lacks", "\ufffd\ufffd")],
    # Exactly what the same lines without tags show, in order.
    "tags/every-kind": [("shows", SERVER_TAB, "\n#marketbay @op +voiced plain tester\n"),
                        ("shows", SERVER_TAB, "\n-alice- a notice"),
                        ("shows", CHANNEL_TAB, "\n".join([
                            "*** Тема канала: the topic", "* alice waves", "*** bob приходит",
                            "*** bob теперь известен как robert", "*** ChanServ sets mode: +o robert",
                            "*** robert был выкинут с канал пользователем op", "*** carol приходит",
                            "*** carol уходит", "*** dave приходит", "*** dave (gone ) выходит",
                            "<alice> привет, канал", "<alice> after huge tags"])),
                        ("shows", "alice", "\n<alice> hello you\n*** ctcp/version request from alice!a@example.net"),
                        ("lacks", "TAGSHOWN"), ("lacks", "time="), ("count", "4"), ("lists", "@op"),
                        ("lists", "+voiced"), ("lists", "plain")],
}

GROUPS = {"framing": framing, "tokens": tokens, "missing": missing, "numbers": numbers, "ctcp": ctcp,
          "format": format_codes, "state": state, "encoding": encoding, "tags": tags}


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for group, make in GROUPS.items():
        os.makedirs(os.path.join(root, group), exist_ok=True)
        for name, data in make():
            with open(os.path.join(root, group, name + ".irc"), "wb") as out:
                out.write(data)
            checks = EXPECTATIONS.get(group + "/" + name)
            if checks:
                with open(os.path.join(root, group, name + ".expect"), "w", encoding="utf-8") as out:
                    out.writelines(expectation(check) for check in checks)


if __name__ == "__main__":
    main()
