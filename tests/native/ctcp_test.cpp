// CTCP requests and replies: word and parameter, the answer line, the ping number.
#include "net/pace.h"
#include "protocol/ctcp.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct CutRow {
    const char* description;
    const char* text;
    const char* word;
    const char* parameter;  // null: absent
};

void PrintTo(const CutRow& row, std::ostream* out) { *out << row.description; }

std::string Shown(const char* text) { return text ? text : "(absent)"; }

class CtcpRequest : public ::testing::TestWithParam<CutRow> {};

TEST_P(CtcpRequest, Cut)
{
    const CutRow& row = GetParam();
    CtcpMessage request;
    CutCtcpRequest(row.text, request);
    EXPECT_STREQ(row.word, request.word);
    EXPECT_EQ(Shown(row.parameter), Shown(request.parameter));
}

INSTANTIATE_TEST_SUITE_P(Rows, CtcpRequest, ::testing::Values(
    CutRow{ "word only", "\x01VERSION\x01", "VERSION", nullptr },
    CutRow{ "word and parameter", "\x01PING 12345\x01", "PING", "12345" },
    CutRow{ "spaces inside the parameter", "\x01" "ACTION waves at all\x01", "ACTION", "waves at all" },
    CutRow{ "space but empty parameter", "\x01" "FOO \x01", "FOO", "" },
    CutRow{ "no closing delimiter", "\x01VERSION", "VERSION", nullptr },
    CutRow{ "parameter stops at a delimiter", "\x01PING 1\x01 2\x01", "PING", "1" },
    CutRow{ "delimiter only", "\x01", "", nullptr },
    CutRow{ "two delimiters", "\x01\x01", "", nullptr },
    CutRow{ "case kept", "\x01ping 7\x01", "ping", "7" }));

class CtcpReply : public ::testing::TestWithParam<CutRow> {};

TEST_P(CtcpReply, Cut)
{
    const CutRow& row = GetParam();
    CtcpMessage reply;
    CutCtcpReply(row.text, reply);
    EXPECT_STREQ(row.word, reply.word);
    EXPECT_EQ(Shown(row.parameter), Shown(reply.parameter));
}

INSTANTIATE_TEST_SUITE_P(Rows, CtcpReply, ::testing::Values(
    CutRow{ "ping number", "\x01PING 42\x01", "PING", "42" },
    CutRow{ "parameter keeps its spaces", "\x01VERSION Some Client 1.0\x01", "VERSION", "Some Client 1.0" },
    CutRow{ "last byte dropped whatever it is", "\x01PING 42", "PING", "4" },
    CutRow{ "word only", "\x01X\x01", "X", nullptr },
    CutRow{ "delimiter only", "\x01", "", nullptr },
    CutRow{ "two delimiters", "\x01\x01", "", nullptr }));

TEST(PingSlot, Numbers)
{
    const struct {
        const char* reply;
        int slot;
    } rows[] = {
        { "\x01PING 0\x01", 0 },       { "\x01PING 511\x01", 511 },  { "\x01PING 512\x01", -1 },
        { "\x01PING -1\x01", -1 },     { "\x01PING\x01", -1 },       { "\x01PING 7 tail\x01", 7 },
        { "\x01PING  +9\x01", 9 },     { "\x01PING abc\x01", 0 },    { "\x01PING 99999999999\x01", -1 },
    };
    for (const auto& row : rows) {
        CtcpMessage reply;
        CutCtcpReply(row.reply, reply);
        EXPECT_EQ(row.slot, ReadPingSlot(reply, 512)) << row.reply + 1;
    }
}

std::string Answer(const char* nick, const char* word, const char* parameter, size_t size = 600)
{
    std::string answer(size, '#');
    const size_t length = ComposeCtcpAnswer(&answer[0], size, nick, word, parameter);
    EXPECT_EQ(length, strlen(answer.c_str()));
    return answer.c_str();
}

TEST(CtcpAnswer, Lines)
{
    EXPECT_EQ("NOTICE Alice :\x01PING 12345\x01\r\n", Answer("Alice", "PING", "12345"));
    EXPECT_EQ("NOTICE Alice :\x01VERSION Talvo IRC module\x01\r\n",
              Answer("Alice", "VERSION", "Talvo IRC module"));
    EXPECT_EQ("NOTICE Alice :\x01PING \x01\r\n", Answer("Alice", "PING", ""));
    EXPECT_EQ("NOTICE %n :\x01PING %s%x\x01\r\n", Answer("%n", "PING", "%s%x"));
    // The parameter stops where a CTCP or the line would end early.
    EXPECT_EQ("NOTICE a :\x01PING 1\x01\r\n", Answer("a", "PING", "1\x01 2"));
    EXPECT_EQ("NOTICE a :\x01PING 1\x01\r\n", Answer("a", "PING", "1\r\nQUIT"));
    EXPECT_EQ("NOTICE a :\x01PING 1\x01\r\n", Answer("a", "PING", "1\nQUIT"));
}

// The answer goes to the sender alone or nowhere.
TEST(CtcpAnswer, ANickThatIsNotOneTargetGetsNoAnswer)
{
    for (const char* nick : { "two words", "a,b", "", ":colon", "tab\r\n" })
        EXPECT_EQ("", Answer(nick, "PING", "1")) << nick;
}

TEST(CtcpAnswer, LongParameterIsCutToTheLineLimit)
{
    const std::string nick(95, 'n');
    const std::string parameter(2000, 'p');
    const std::string answer = Answer(nick.c_str(), "PING", parameter.c_str(), 4096);
    ASSERT_EQ(size_t(kCtcpAnswerLimit), answer.size());
    const std::string head = "NOTICE " + nick + " :\x01PING ";
    EXPECT_EQ(head, answer.substr(0, head.size()));
    EXPECT_EQ("p\x01\r\n", answer.substr(answer.size() - 4));
    EXPECT_EQ(2, std::count(answer.begin(), answer.end(), '\x01'));
}

TEST(CtcpAnswer, SmallBuffers)
{
    EXPECT_EQ("N\x01\r\n", Answer("Alice", "PING", "12345", 5));
    EXPECT_EQ("", Answer("Alice", "PING", "12345", 4));
}

// Ticks at which answers were taken, from a first request at `start`.
std::string Taken(uint32_t start, const std::vector<uint32_t>& offsets, uint32_t fullAt = 0)
{
    std::string taken;
    for (uint32_t offset : offsets)
        taken += TakeCtcpAnswer(fullAt, start + offset) ? 'y' : 'n';
    return taken;
}

TEST(CtcpAnswerPace, BurstThenOneEveryInterval)
{
    const uint32_t t = kCtcpAnswerInterval;
    ASSERT_EQ(5u, kCtcpAnswerBurst);
    EXPECT_EQ("yyyyynn", Taken(1000, { 0, 0, 0, 0, 0, 0, t - 1 }));
    EXPECT_EQ("yyyyyyny", Taken(1000, { 0, 0, 0, 0, 0, t, t, 2 * t }));
    // After a quiet stretch the whole burst is back, no more.
    EXPECT_EQ("yyyyyyyyyyn", Taken(1000, { 0, 0, 0, 0, 0, 10 * t, 10 * t, 10 * t, 10 * t, 10 * t, 10 * t }));
    // A steady pace of one an interval is always answered.
    EXPECT_EQ("yyyyyyyy", Taken(1000, { 0, t, 2 * t, 3 * t, 4 * t, 5 * t, 6 * t, 7 * t }));
}

TEST(CtcpAnswerPace, TicksWrapAround)
{
    // The sixth is refused; one interval later (past the wrap) one more is taken.
    EXPECT_EQ("yyyyynyn", Taken(0xFFFFF000u, { 0, 0, 0, 0, 0, 0, 0x1000, 0x1000 }));
    // A burst that empties the bucket until exactly the wrap keeps its state as
    // 1 (see below), which is still an empty bucket, not one too far ahead.
    const uint32_t t = kCtcpAnswerInterval;
    EXPECT_EQ("yyyyynny", Taken(0u - 5 * t, { 0, 0, 0, 0, 0, 0, t, t + 1 }));
}

TEST(CtcpAnswerPace, AStateFarAheadOrLongPastIsAFullBucket)
{
    EXPECT_EQ("yyyyyn", Taken(5000, { 0, 0, 0, 0, 0, 0 }, 5000 + 100000));
    EXPECT_EQ("yyyyyn", Taken(5000, { 0, 0, 0, 0, 0, 0 }, 1));
    // A missing state reads as 0, even just before the ticks wrap.
    EXPECT_EQ("yyyyyn", Taken(123456, { 0, 0, 0, 0, 0, 0 }));
    EXPECT_EQ("yyyyyn", Taken(0xFFFFFFFFu, { 0, 0, 0, 0, 0, 0 }));
    // A bucket full again exactly at the wrap is kept as 1, not as "full".
    uint32_t fullAt = 0;
    EXPECT_TRUE(TakeCtcpAnswer(fullAt, 0u - kCtcpAnswerInterval));
    EXPECT_EQ(1u, fullAt);
}

} // namespace
