// Cutting the received byte stream into lines.
#include "net/line_assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The client's receive state with a recorder of the lines it completes.
struct Receiver {
    char line[2048] = {};
    int32_t lineLen = 0;
    std::vector<std::string> lines;
    size_t stopAfter = 0;

    void Feed(const std::string& chunk)
    {
        lineLen = AppendReceivedBytes(line, sizeof line, lineLen, chunk.data(), (int)chunk.size(),
                                      &Receiver::OnLine, this);
    }

    static bool OnLine(void* context)
    {
        Receiver* self = static_cast<Receiver*>(context);
        self->lines.push_back(self->line);
        return self->stopAfter == 0 || self->lines.size() < self->stopAfter;
    }
};

using Lines = std::vector<std::string>;

TEST(LineAssembler, LinesAcrossChunks)
{
    Receiver receiver;
    receiver.Feed("PING :ab");
    EXPECT_TRUE(receiver.lines.empty());
    EXPECT_EQ(8, receiver.lineLen);
    receiver.Feed("c\r\n:a!b@c PRIVMSG #x :one\r\n:a!b@c PRIVMSG #x :two\n");
    EXPECT_EQ((Lines{ "PING :abc", ":a!b@c PRIVMSG #x :one", ":a!b@c PRIVMSG #x :two" }),
              receiver.lines);
    EXPECT_EQ(0, receiver.lineLen);
}

TEST(LineAssembler, CarriageReturnEndsTheText)
{
    Receiver receiver;
    receiver.Feed("PING :abc\rdef\n");
    receiver.Feed("A\r");
    receiver.Feed("\n\n");
    // A bare CR followed later by LF ends the line; an empty line is handed over too.
    EXPECT_EQ((Lines{ "PING :abc", "A", "" }), receiver.lines);
}

TEST(LineAssembler, LeadingCarriageReturnHidesTheLineWhateverTheChunks)
{
    Receiver whole, split;
    whole.Feed("\rPING :x\n");
    split.Feed("\r");
    split.Feed("PING :x\n");
    EXPECT_EQ((Lines{ "" }), whole.lines);
    EXPECT_EQ(whole.lines, split.lines);
}

TEST(LineAssembler, OverlongLineKeepsItsHeadAndDropsItsTail)
{
    const std::string head(2047, 'h');
    Receiver receiver;
    // The tail would read as a command of its own if it were ever delivered.
    const std::string stream = head + "PING :evil" + std::string(3000, 't') + "\r\nPING :ok\r\n";
    for (size_t i = 0; i < stream.size(); i += 1000)
        receiver.Feed(stream.substr(i, 1000));
    EXPECT_EQ((Lines{ head, "PING :ok" }), receiver.lines);
    EXPECT_EQ('\0', receiver.line[2047]);
}

// A tagged line and the line that follows it, and what the handler must see.
struct FramingCase {
    const char* description;
    std::string stream;
    Lines expected;
};

std::ostream& operator<<(std::ostream& out, const FramingCase& row) { return out << row.description; }

const std::string kSay = ":alice!a@h PRIVMSG #marketbay :";
const std::string kTags8000 = "@" + std::string(7999, 't');

class TaggedFramingTest : public ::testing::TestWithParam<FramingCase> {};

TEST_P(TaggedFramingTest, TagsGiveWayWhateverThePieces)
{
    const FramingCase& row = GetParam();
    for (const size_t piece : std::vector<size_t>{ 1, 7, 500, 2047, 2048, row.stream.size() }) {
        Receiver receiver;
        for (size_t at = 0; at < row.stream.size(); at += piece)
            receiver.Feed(row.stream.substr(at, piece));
        EXPECT_EQ(row.expected, receiver.lines) << "pieces of " << piece;
        EXPECT_EQ(0, receiver.lineLen) << "pieces of " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, TaggedFramingTest, ::testing::Values(
    FramingCase{ "8,000 bytes of tags are skipped", kTags8000 + " " + kSay + "after\r\nPING :next\r\n",
                 Lines{ "@ " + kSay + "after", "PING :next" } },
    FramingCase{ "tags that fit give way to a rest that does not",
                 "@" + std::string(1500, 't') + " " + kSay + std::string(600, 'r') + "\r\nPING :next\r\n",
                 Lines{ "@ " + kSay + std::string(600, 'r'), "PING :next" } },
    FramingCase{ "a rest that fills the buffer after skipped tags",
                 kTags8000 + " " + kSay + std::string(2045 - kSay.size(), 'r') + "\r\nPING :next\r\n",
                 Lines{ "@ " + kSay + std::string(2045 - kSay.size(), 'r'), "PING :next" } },
    FramingCase{ "a rest a byte over the buffer after skipped tags is dropped whole",
                 kTags8000 + " " + kSay + std::string(2046 - kSay.size(), 'r') + "\r\nPING :next\r\n",
                 Lines{ "PING :next" } },
    FramingCase{ "skipped tags cut by a carriage return are a line of nothing",
                 kTags8000 + "\r PING :evil\r\nPING :next\r\n", Lines{ "PING :next" } }));

TEST(LineAssembler, HandlerCanStopTheRestOfTheChunk)
{
    Receiver receiver;
    receiver.stopAfter = 1;
    receiver.Feed("ERROR :bye\r\nPING :late\r\n");
    EXPECT_EQ((Lines{ "ERROR :bye" }), receiver.lines);
    EXPECT_EQ(0, receiver.lineLen);
}

TEST(LineAssembler, NothingReceived)
{
    Receiver receiver;
    receiver.Feed("partial");
    receiver.lineLen = AppendReceivedBytes(receiver.line, sizeof receiver.line, receiver.lineLen,
                                           "", -1, &Receiver::OnLine, &receiver);
    EXPECT_EQ(7, receiver.lineLen);
    EXPECT_STREQ("partial", receiver.line);
}

} // namespace
