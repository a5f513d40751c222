#!/usr/bin/env python3
"""Writes the server traffic the benchmarks send, as raw IRC lines (CRLF).

  make_traffic.py burst N FILE    N channel PRIVMSG lines with mixed colour and
                                  style codes, seeded; the last says "burst-end".
                                  Lines are UTF-8, as today's clients send them,
                                  but one sender in five is an old client whose
                                  lines are Windows-1251
  make_traffic.py held N FILE     the first N lines of the burst, without its end:
                                  what a channel holds before a burst
  make_traffic.py talks N FILE    N lines over 100 conversations: a third to the
                                  channel, a sixth as server notices, the rest
                                  private messages from 98 peers in turn; the
                                  last says "burst-end" in the channel
  make_traffic.py names N J FILE  a channel of N users in 353 replies of normal
                                  size, 366, then J JOINs and J QUITs, then a
                                  PRIVMSG saying "names-end"

Every line comes from irc.bench and goes to #marketbay; the nick the lines
are addressed to is "bencher".
"""
import random
import sys

NICK = "bencher"
CHANNEL = "#marketbay"
WORDS = ("price", "lot", "деньги", "sell", "buy", "товар", "ok", "today", "ship",
         "market", "скидка", "new", "wow", "thanks", "bay", "offer")


def chat_text(rng):
    parts = []
    for _ in range(rng.randint(4, 12)):
        word = rng.choice(WORDS)
        roll = rng.random()
        if roll < 0.25:
            word = "\x03%d%s\x03" % (rng.randint(0, 15), word)
        elif roll < 0.35:
            word = "\x02%s\x02" % word
        elif roll < 0.40:
            word = "\x1f%s\x1f" % word
        parts.append(word)
    return " ".join(parts)


def chat_lines(count, out):
    rng = random.Random(1)
    for i in range(count):
        number = rng.randint(1, 300)
        line = ":user%d!u@bench.example PRIVMSG %s :%s %d" % (number, CHANNEL, chat_text(rng), i)
        out.append(line.encode("cp1251" if number % 5 == 0 else "utf-8"))


def burst(count, out):
    chat_lines(count - 1, out)
    out.append((":user1!u@bench.example PRIVMSG %s :burst-end" % CHANNEL).encode())


def talks(count, out):
    rng = random.Random(1)
    for i in range(count - 1):
        if i % 6 < 2:
            line = ":user%d!u@bench.example PRIVMSG %s :%s %d" % (i % 300, CHANNEL, chat_text(rng), i)
        elif i % 6 == 2:
            line = ":irc.bench NOTICE %s :%s %d" % (NICK, chat_text(rng), i)
        else:
            line = ":peer%02d!p@bench.example PRIVMSG %s :%s %d" % (i % 98, NICK, chat_text(rng), i)
        out.append(line.encode())
    out.append((":user1!u@bench.example PRIVMSG %s :burst-end" % CHANNEL).encode())


def names(users, joins, out):
    """ASCII only, as nicks are."""
    nicks = ["member%05d" % i for i in range(users - 1)] + [NICK]
    line = ""
    head = ":irc.bench 353 %s = %s :" % (NICK, CHANNEL)
    for nick in nicks:
        prefix = "@" if nick.endswith("7") else "+" if nick.endswith("3") else ""
        if len(head) + len(line) + len(prefix + nick) + 1 > 500:
            out.append((head + line.rstrip()).encode())
            line = ""
        line += prefix + nick + " "
    text = [head + line.rstrip(), ":irc.bench 366 %s %s :End of /NAMES list." % (NICK, CHANNEL)]
    for i in range(joins):
        text.append(":guest%05d!g@bench.example JOIN :%s" % (i, CHANNEL))
    for i in range(joins):
        text.append(":guest%05d!g@bench.example QUIT :Quit: bye" % i)
    text.append(":member00001!u@bench.example PRIVMSG %s :names-end" % CHANNEL)
    out.extend(line.encode() for line in text)


def main(argv):
    out = []  # lines as bytes
    if len(argv) == 4 and argv[1] == "burst":
        burst(int(argv[2]), out)
    elif len(argv) == 4 and argv[1] == "held":
        chat_lines(int(argv[2]), out)
    elif len(argv) == 4 and argv[1] == "talks":
        talks(int(argv[2]), out)
    elif len(argv) == 5 and argv[1] == "names":
        names(int(argv[2]), int(argv[3]), out)
    else:
        sys.exit(__doc__)
    with open(argv[-1], "wb") as f:
        f.write(b"".join(line + b"\r\n" for line in out))


if __name__ == "__main__":
    main(sys.argv)
