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
