// The outgoing line queue: whole lines through short sends, urgent lines
// first, ordinary lines at the flood pace, the bounds, and QUIT.
#include "net/send_queue.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Takes what its script says, call by call: at most that many bytes, 0 for
// "would block", -1 for a failed connection. Past the script it takes all.
struct FakeSocket {
    std::deque<int> script;
    std::string wire;
    int calls = 0;

    static int Send(void* context, const char* bytes, size_t length)
    {
        FakeSocket* self = static_cast<FakeSocket*>(context);
        ++self->calls;
        size_t taken = length;
        if (!self->script.empty()) {
            const int answer = self->script.front();
            self->script.pop_front();
            if (answer < 0)
                return answer;
            if ((size_t)answer < taken)
                taken = (size_t)answer;
        }
        self->wire.append(bytes, taken);
        return (int)taken;
    }
};

std::string Line(const std::string& text) { return text + "\r\n"; }

std::string Lines(const std::vector<std::string>& texts)
{
    std::string lines;
    for (const std::string& text : texts)
        lines += Line(text);
    return lines;
}

std::string Numbered(const char* text, int number) { return text + std::to_string(number); }

class SendQueue : public ::testing::Test {
protected:
    bool Add(const std::string& text)
    {
        const std::string line = Line(text);
        return queue.AddLine(line.data(), line.size());
    }

    void AddNumbered(const char* text, int count)
    {
        for (int number = 1; number <= count; ++number)
            ASSERT_TRUE(Add(Numbered(text, number)));
    }

    bool PutQuitFirst(const std::string& text)
    {
        const std::string line = Line(text);
        return queue.PutQuitFirst(line.data(), line.size());
    }

    FakeSocket socket;
    CSendQueue queue{ &FakeSocket::Send, &socket };
};

// Whole lines through short sends.

struct ShortSendRow {
    const char* description;
    std::vector<int> script;
};

void PrintTo(const ShortSendRow& row, std::ostream* out) { *out << row.description; }

class ShortSends : public SendQueue, public ::testing::WithParamInterface<ShortSendRow> {};

TEST_P(ShortSends, ReachTheWireExactlyAsQueued)
{
    const std::vector<std::string> texts = { "JOIN :#marketbay", "PRIVMSG #marketbay :hello there",
                                             "NICK :someone", "PRIVMSG NickServ :identify secret" };
    for (const std::string& text : texts)
        ASSERT_TRUE(Add(text));
    socket.script.assign(GetParam().script.begin(), GetParam().script.end());
    // The caller calls again on every FD_WRITE until all is out.
    SendProgress progress = SendProgress::WouldBlock;
    for (int call = 0; call < 100 && progress == SendProgress::WouldBlock; ++call)
        progress = queue.SendWaiting(1000);
    EXPECT_EQ(SendProgress::AllSent, progress);
    // The urgent NICK overtakes the lines that had not started when it came.
    EXPECT_EQ(Lines({ "NICK :someone", "JOIN :#marketbay", "PRIVMSG #marketbay :hello there",
                      "PRIVMSG NickServ :identify secret" }),
              socket.wire);
}

INSTANTIATE_TEST_SUITE_P(Rows, ShortSends, ::testing::Values(
    ShortSendRow{ "all at once", {} },
    ShortSendRow{ "one byte a call", std::vector<int>(200, 1) },
    ShortSendRow{ "odd pieces across line ends", { 5, 13, 2, 40, 1, 1, 7, 300 } },
    ShortSendRow{ "would block between pieces", { 3, 0, 0, 9, 0, 20, 0, 1, 0 } },
    ShortSendRow{ "blocked before the first byte", { 0, 0, 0 } },
    ShortSendRow{ "CR and LF in separate calls", { 14, 1, 0, 0, 25, 0 } }));

TEST_F(SendQueue, WouldBlockStopsUntilCalledAgain)
{
    AddNumbered("PRIVMSG #marketbay :line ", 3);
    socket.script = { 10, 0 };
    EXPECT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    EXPECT_EQ(2, socket.calls);
    EXPECT_EQ("PRIVMSG #", socket.wire.substr(0, 9));
    EXPECT_EQ(10u, socket.wire.size());

    socket.script = { 0 };
    EXPECT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    EXPECT_EQ(3, socket.calls);
    EXPECT_EQ(10u, socket.wire.size());

    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    EXPECT_EQ(Lines({ "PRIVMSG #marketbay :line 1", "PRIVMSG #marketbay :line 2",
                      "PRIVMSG #marketbay :line 3" }),
              socket.wire);
}

TEST_F(SendQueue, AFailedSocketKeepsTheLinesAsTheyWere)
{
    ASSERT_TRUE(Add("JOIN :#marketbay"));
    socket.script = { 4, -1 };
    EXPECT_EQ(SendProgress::Failed, queue.SendWaiting(0));
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    EXPECT_EQ(Line("JOIN :#marketbay"), socket.wire);
}

int ClaimOneByteMore(void*, const char*, size_t length) { return (int)length + 1; }

TEST(SendQueueSocket, ASocketThatClaimsMoreThanItWasGivenHasFailed)
{
    CSendQueue queue(&ClaimOneByteMore, nullptr);
    const std::string line = Line("JOIN :#marketbay");
    ASSERT_TRUE(queue.AddLine(line.data(), line.size()));
    EXPECT_EQ(SendProgress::Failed, queue.SendWaiting(0));
    EXPECT_EQ(1u, queue.CountWaitingLines());
}

// Urgent lines.

TEST_F(SendQueue, UrgentLinesOvertakeWaitingLinesButNeverSplitOne)
{
    AddNumbered("PRIVMSG #marketbay :line ", 4);
    // Line 1 goes whole, line 2 stops after "PRIVMSG".
    socket.script = { 100, 7, 0 };
    EXPECT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    ASSERT_TRUE(Add("PONG :irc.example"));
    ASSERT_TRUE(Add("NICK :second"));
    ASSERT_TRUE(Add("PONG :irc.example.again"));
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    EXPECT_EQ(Lines({ "PRIVMSG #marketbay :line 1", "PRIVMSG #marketbay :line 2", "PONG :irc.example",
                      "NICK :second", "PONG :irc.example.again", "PRIVMSG #marketbay :line 3",
                      "PRIVMSG #marketbay :line 4" }),
              socket.wire);
}

TEST_F(SendQueue, UrgentLinesAreNotPaced)
{
    AddNumbered("PRIVMSG #marketbay :line ", 7);
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(0));
    socket.wire.clear();
    ASSERT_TRUE(Add("PONG :irc.example"));
    EXPECT_EQ(0u, queue.MillisecondsUntilNextLine(0));
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(0));
    EXPECT_EQ(Line("PONG :irc.example"), socket.wire);
    EXPECT_EQ(2u, queue.CountWaitingLines());
}

struct KindRow {
    const char* description;
    const char* text;
    bool urgent;
};

void PrintTo(const KindRow& row, std::ostream* out) { *out << row.description; }

class LineKind : public SendQueue, public ::testing::WithParamInterface<KindRow> {};

TEST_P(LineKind, UrgentOnlyByItsCommand)
{
    // Five lines take the whole burst; a sixth waits.
    AddNumbered("PRIVMSG #marketbay :line ", 6);
    ASSERT_EQ(SendProgress::Paced, queue.SendWaiting(0));
    socket.wire.clear();
    ASSERT_TRUE(Add(GetParam().text));
    queue.SendWaiting(0);
    EXPECT_EQ(GetParam().urgent ? Line(GetParam().text) : "", socket.wire);
}

INSTANTIATE_TEST_SUITE_P(Rows, LineKind, ::testing::Values(
    KindRow{ "pong", "PONG :irc.example", true },
    KindRow{ "registration user", "USER talvo # # :Talvo user", true },
    KindRow{ "registration nick", "NICK demo", true },
    KindRow{ "capability negotiation", "CAP END", true },
    KindRow{ "SASL piece, the longest urgent command", "AUTHENTICATE dGVzdGVy", true },
    KindRow{ "command in lower case", "pong :irc.example", true },
    KindRow{ "channel message", "PRIVMSG #marketbay :PONG NICK USER", false },
    KindRow{ "join", "JOIN :#marketbay", false },
    KindRow{ "services login", "PRIVMSG NickServ :identify secret", false },
    KindRow{ "ctcp answer", "NOTICE someone :\x01VERSION Talvo IRC module\x01", false },
    KindRow{ "longer command with the same start", "PONGS :x", false },
    KindRow{ "command without parameters", "NICKS", false }));

// The pace of ordinary lines.

struct PaceStep {
    uint32_t offset;    // ticks after the start
    size_t linesOut;    // lines on the wire after SendWaiting
    uint32_t wait;      // MillisecondsUntilNextLine afterwards
};

struct PaceRow {
    const char* description;
    uint32_t start;
};

void PrintTo(const PaceRow& row, std::ostream* out) { *out << row.description; }

size_t CountLines(const std::string& wire)
{
    size_t count = 0;
    for (size_t at = wire.find("\r\n"); at != std::string::npos; at = wire.find("\r\n", at + 2))
        ++count;
    return count;
}

class PaceShape : public SendQueue, public ::testing::WithParamInterface<PaceRow> {};

TEST_P(PaceShape, FiveAtOnceThenOneEveryTwoSeconds)
{
    AddNumbered("PRIVMSG #marketbay :line ", 9);
    const PaceStep steps[] = {
        { 0, 5, 2000 },     { 1999, 5, 1 },  { 2000, 6, 2000 },
        { 2000, 6, 2000 },  // the same tick again sends nothing more
        { 5000, 7, 1000 },  // called a second late: the next token is a second nearer
        { 6000, 8, 2000 },  { 60000, 9, kNoLineWaiting },
    };
    for (const PaceStep& step : steps) {
        const uint32_t now = GetParam().start + step.offset;
        queue.SendWaiting(now);
        EXPECT_EQ(step.linesOut, CountLines(socket.wire)) << "at +" << step.offset;
        EXPECT_EQ(step.wait, queue.MillisecondsUntilNextLine(now)) << "at +" << step.offset;
        EXPECT_EQ(9 - step.linesOut, queue.CountWaitingLines()) << "at +" << step.offset;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PaceShape, ::testing::Values(
    PaceRow{ "an ordinary tick", 1000 },
    PaceRow{ "tick zero", 0 },
    PaceRow{ "ticks wrap during the burst's refill", 0xFFFFFFFFu - 3000 },
    PaceRow{ "ticks wrap right after the burst", 0xFFFFFFFFu }));

TEST_F(SendQueue, ABurstThatEndsExactlyAtTheWrapStillPaces)
{
    AddNumbered("PRIVMSG #marketbay :line ", 7);
    const uint32_t start = 0u - 5 * kOrdinaryPace.interval;
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(start));
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(start));
    EXPECT_EQ(5u, CountLines(socket.wire));
    EXPECT_EQ(kOrdinaryPace.interval, queue.MillisecondsUntilNextLine(start));
}

TEST_F(SendQueue, AQuietTimeRefillsTheBurstAndNoMore)
{
    AddNumbered("PRIVMSG #marketbay :first ", 5);
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    // Two intervals give two tokens back.
    AddNumbered("PRIVMSG #marketbay :second ", 3);
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(4000));
    EXPECT_EQ(7u, CountLines(socket.wire));
    EXPECT_EQ(2000u, queue.MillisecondsUntilNextLine(4000));
    // A minute later the bucket holds five, not thirty.
    AddNumbered("PRIVMSG #marketbay :third ", 5);
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(64000));
    EXPECT_EQ(7u + 5, CountLines(socket.wire));
    EXPECT_EQ(1u, queue.CountWaitingLines());
    EXPECT_EQ(2000u, queue.MillisecondsUntilNextLine(64000));
}

TEST_F(SendQueue, ALineTakesItsTokenWithItsFirstByte)
{
    AddNumbered("PRIVMSG #marketbay :line ", 7);
    // Blocked before any byte: no token is gone.
    socket.script = { 0 };
    EXPECT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    EXPECT_EQ(0u, queue.MillisecondsUntilNextLine(0));
    // Line 1 starts (a token goes with it) and no longer counts as waiting.
    socket.script = { 3, 0 };
    EXPECT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    EXPECT_EQ(6u, queue.CountWaitingLines());
    // Its rest and four more lines make the burst of five.
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(0));
    EXPECT_EQ(5u, CountLines(socket.wire));
    // A line that started within its token finishes whatever the pace.
    socket.script = { 8, 0 };
    EXPECT_EQ(SendProgress::WouldBlock, queue.SendWaiting(2000));
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(2001));
    EXPECT_EQ(6u, CountLines(socket.wire));
    EXPECT_EQ(1999u, queue.MillisecondsUntilNextLine(2001));
}

TEST_F(SendQueue, MillisecondsUntilNextLineSaysWhenToCallAgain)
{
    EXPECT_EQ(kNoLineWaiting, queue.MillisecondsUntilNextLine(0));
    ASSERT_TRUE(Add("PONG :irc.example"));
    EXPECT_EQ(0u, queue.MillisecondsUntilNextLine(0));
    socket.script = { 3, 0 };
    queue.SendWaiting(0);
    // The rest of a line partly sent may go at once.
    EXPECT_EQ(0u, queue.MillisecondsUntilNextLine(0));
    queue.SendWaiting(0);
    EXPECT_EQ(kNoLineWaiting, queue.MillisecondsUntilNextLine(0));
}

// Bounds.

TEST_F(SendQueue, TypedTextIsTakenOnlyWhenAllOfItFits)
{
    // A paste of 40 lines of 300 bytes.
    const size_t pasteBytes = 40 * 300;
    const std::string text(300 - strlen("PRIVMSG #marketbay :100") - 2, 'x');
    ASSERT_EQ(300u, Line(Numbered("PRIVMSG #marketbay :", 100) + text).size());
    EXPECT_TRUE(queue.CanTakeOrdinaryLines(40, pasteBytes));
    for (int paste = 1; paste <= 2; ++paste) {
        ASSERT_TRUE(queue.CanTakeOrdinaryLines(40, pasteBytes)) << "paste " << paste;
        for (int number = 0; number < 40; ++number)
            ASSERT_TRUE(Add(Numbered("PRIVMSG #marketbay :", 100 + number) + text));
    }
    EXPECT_EQ(80u, queue.CountWaitingLines());
    EXPECT_FALSE(queue.CanTakeOrdinaryLines(40, pasteBytes));
    EXPECT_TRUE(queue.CanTakeOrdinaryLines(29, 29 * 300));
    EXPECT_FALSE(queue.CanTakeOrdinaryLines(1, kOrdinaryByteLimit - 80 * 300 + 1));
    EXPECT_TRUE(queue.CanTakeOrdinaryLines(1, kOrdinaryByteLimit - 80 * 300));
    EXPECT_FALSE(queue.CanTakeOrdinaryLines(1, SIZE_MAX));
    EXPECT_FALSE(queue.CanTakeOrdinaryLines(SIZE_MAX, 1));
}

TEST_F(SendQueue, OrdinaryLinesStopAtTheirLineAndByteLimits)
{
    AddNumbered("JOIN #", (int)kOrdinaryLineLimit);
    EXPECT_FALSE(queue.CanTakeOrdinaryLines(1, 10));
    EXPECT_FALSE(Add("JOIN #more"));
    // Urgent lines have their own room.
    EXPECT_TRUE(Add("PONG :irc.example"));
    EXPECT_EQ(kOrdinaryLineLimit, queue.CountWaitingLines());

    queue.DropAllLines();
    const std::string filler(kQueuedLineLimit - 2 - 8, 'x');
    for (size_t line = 0; line < kOrdinaryByteLimit / kQueuedLineLimit; ++line)
        ASSERT_TRUE(Add("JOIN #" + std::to_string(line % 10) + " " + filler));
    EXPECT_FALSE(Add("JOIN #"));
    EXPECT_TRUE(queue.CanTakeOrdinaryLines(0, 0));
}

struct RefusedRow {
    const char* description;
    std::string line;
};

void PrintTo(const RefusedRow& row, std::ostream* out) { *out << row.description; }

class NotOneLine : public SendQueue, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(NotOneLine, IsRefusedAndNothingGoesOut)
{
    const std::string& line = GetParam().line;
    EXPECT_FALSE(queue.AddLine(line.data(), line.size()));
    EXPECT_FALSE(queue.PutQuitFirst(line.data(), line.size()));
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    EXPECT_EQ("", socket.wire);
}

INSTANTIATE_TEST_SUITE_P(Rows, NotOneLine, ::testing::Values(
    RefusedRow{ "no line end", "JOIN #marketbay" },
    RefusedRow{ "line feed only", "JOIN #marketbay\n" },
    RefusedRow{ "empty line", "\r\n" },
    RefusedRow{ "two lines", "JOIN #a\r\nJOIN #b\r\n" },
    RefusedRow{ "carriage return inside", "JOIN #a\rQUIT\r\n" },
    RefusedRow{ "NUL inside", std::string("JOIN #a\0b\r\n", 11) },
    RefusedRow{ "one byte over 512", "PRIVMSG #a :" + std::string(kQueuedLineLimit - 13, 'x') + "\r\n" }));

TEST_F(SendQueue, ALineOfExactly512BytesIsTaken)
{
    const std::string text = "PRIVMSG #a :" + std::string(kQueuedLineLimit - 14, 'x');
    ASSERT_EQ(kQueuedLineLimit, Line(text).size());
    EXPECT_TRUE(Add(text));
    queue.SendWaiting(0);
    EXPECT_EQ(Line(text), socket.wire);
}

TEST_F(SendQueue, AFullUrgentLaneReplacesItsNewestWaitingPong)
{
    socket.script = { 0 };
    AddNumbered("PONG :", (int)kUrgentLineLimit - 2);
    ASSERT_TRUE(Add("PONG :newest"));
    ASSERT_TRUE(Add("NICK :renamed"));
    ASSERT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    EXPECT_FALSE(Add("NICK :again"));
    EXPECT_TRUE(Add("PONG :replacement"));
    EXPECT_TRUE(Add("PONG :latest"));
    // Ordinary lines are not touched by the urgent lane's limit.
    EXPECT_TRUE(Add("JOIN :#marketbay"));

    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    std::string expected;
    for (int number = 1; number <= (int)kUrgentLineLimit - 2; ++number)
        expected += Line(Numbered("PONG :", number));
    expected += Lines({ "PONG :latest", "NICK :renamed", "JOIN :#marketbay" });
    EXPECT_EQ(expected, socket.wire);
}

TEST_F(SendQueue, AFullUrgentLaneGoesOverItsByteLimitByLessThanALine)
{
    // Lines of 512 bytes fill the lane by bytes before the line count does.
    const std::string token(kQueuedLineLimit - 8, 'p');
    socket.script = { 0 };
    for (size_t line = 0; line < kUrgentByteLimit / kQueuedLineLimit; ++line)
        ASSERT_TRUE(Add("PONG :" + token));
    ASSERT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    EXPECT_FALSE(Add("NICK :x"));
    // A short PONG replaces a long one and leaves room, a long one fills it again.
    EXPECT_TRUE(Add("PONG :short"));
    EXPECT_TRUE(Add("NICK :x"));
    EXPECT_TRUE(Add("PONG :" + token));
    EXPECT_FALSE(Add("NICK :y"));
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    EXPECT_EQ(kUrgentByteLimit + Line("NICK :x").size(), socket.wire.size());
}

TEST_F(SendQueue, APongPartlySentIsNeverReplaced)
{
    ASSERT_TRUE(Add("PONG :first"));
    socket.script = { 4, 0 };
    ASSERT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    AddNumbered("NICK :n", (int)kUrgentLineLimit);
    // No waiting PONG to replace: the lane is full of other lines.
    EXPECT_FALSE(Add("PONG :second"));
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    const std::string head = Line("PONG :first") + Line("NICK :n1");
    EXPECT_EQ(head, socket.wire.substr(0, head.size()));
    EXPECT_EQ(std::string::npos, socket.wire.find("second"));
}

// QUIT and the end of a connection.

TEST_F(SendQueue, QuitFinishesTheLinePartlySentThenGoesFirst)
{
    AddNumbered("PRIVMSG #marketbay :line ", 8);
    socket.script = { 100, 100, 6, 0 };
    ASSERT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    ASSERT_TRUE(Add("PONG :irc.example"));
    EXPECT_EQ(5u, queue.CountWaitingLines());

    ASSERT_TRUE(PutQuitFirst("QUIT :bye"));
    EXPECT_EQ(0u, queue.CountWaitingLines());
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    EXPECT_EQ(Lines({ "PRIVMSG #marketbay :line 1", "PRIVMSG #marketbay :line 2",
                      "PRIVMSG #marketbay :line 3", "QUIT :bye" }),
              socket.wire);
}

TEST_F(SendQueue, QuitGoesAtOnceWhateverThePace)
{
    AddNumbered("PRIVMSG #marketbay :line ", 8);
    ASSERT_EQ(SendProgress::Paced, queue.SendWaiting(0));
    socket.wire.clear();
    ASSERT_TRUE(PutQuitFirst("QUIT :bye"));
    EXPECT_EQ(0u, queue.MillisecondsUntilNextLine(0));
    EXPECT_EQ(SendProgress::AllSent, queue.SendWaiting(0));
    EXPECT_EQ(Line("QUIT :bye"), socket.wire);
}

TEST_F(SendQueue, DroppingAllLinesStartsTheNextConnectionClean)
{
    AddNumbered("PRIVMSG #marketbay :line ", 8);
    socket.script = { 100, 100, 6, 0 };
    ASSERT_EQ(SendProgress::WouldBlock, queue.SendWaiting(0));
    ASSERT_TRUE(Add("PONG :irc.example"));
    queue.DropAllLines();
    EXPECT_EQ(0u, queue.CountWaitingLines());
    EXPECT_EQ(kNoLineWaiting, queue.MillisecondsUntilNextLine(0));

    // Nothing of the old connection is left, and the burst is whole again.
    socket.wire.clear();
    AddNumbered("JOIN #", 6);
    EXPECT_EQ(SendProgress::Paced, queue.SendWaiting(0));
    EXPECT_EQ(Lines({ "JOIN #1", "JOIN #2", "JOIN #3", "JOIN #4", "JOIN #5" }), socket.wire);
}

} // namespace
