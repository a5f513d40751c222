// What the client sends back to hostile lines: the pace of CTCP answers and
// the length of a PONG.
#include "net/pace.h"
#include "support/chat_fixture.h"

#include <string>

namespace {

const char kSync[] = "PING :sync\r\n";
const char kSyncAnswer[] = "PONG :sync\r\n";

class HostileLinesTest : public ChannelChatTest {
protected:
    // What the client sends in answer to `bytes`, up to the sync reply.
    std::string AnswerTo(const std::string& bytes)
    {
        const size_t mark = peer.Received().size();
        ServerSends(bytes + kSync);
        PumpUntil([&] { return peer.Received().find(kSyncAnswer, mark) != std::string::npos; }, 2000);
        const std::string all = peer.Received().substr(mark);
        const size_t sync = all.rfind(kSyncAnswer);
        return sync == std::string::npos ? "(no sync) " + all : all.substr(0, sync);
    }

    static int Count(const std::string& text, const std::string& part)
    {
        int count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }
};

TEST_F(HostileLinesTest, AFloodOfCtcpRequestsGetsTheBurstOfAnswersAndIsStillShown)
{
    std::string flood;
    for (int i = 0; i < 20; ++i)
        flood += ":f" + std::to_string(i) + "!f@h PRIVMSG tester :\x01VERSION\x01\r\n";
    const std::string sent = AnswerTo(flood);
    EXPECT_EQ((int)kCtcpAnswerBurst, Count(sent, ":\x01VERSION Talvo IRC module\x01\r\n")) << sent;
    EXPECT_EQ(0, Count(sent, "NOTICE f" + std::to_string(kCtcpAnswerBurst) + " "));
    EXPECT_EQ("*** ctcp/version request from f19!f@h", LastLine("f19"));

    // One answer comes back after an interval.
    clock.Advance(kCtcpAnswerInterval);
    EXPECT_EQ("NOTICE f0 :\x01PING 1\x01\r\n", AnswerTo(":f0!f@h PRIVMSG tester :\x01PING 1\x01\r\n"));
    EXPECT_EQ("", AnswerTo(":f0!f@h PRIVMSG tester :\x01PING 2\x01\r\n"));
    EXPECT_EQ("*** ctcp/ping request from f0!f@h", LastLine("f0"));
}

TEST_F(HostileLinesTest, ForgottenAnswersGiveTheWholeBurstAgain)
{
    const std::string request = ":f!f@h PRIVMSG tester :\x01VERSION\x01\r\n";
    std::string flood;
    for (unsigned i = 0; i <= kCtcpAnswerBurst; ++i)
        flood += request;
    EXPECT_EQ((int)kCtcpAnswerBurst, Count(AnswerTo(flood), "NOTICE f "));
    Client().ForgetCtcpAnswers();
    // The answers wait for the pace of all lines; they all go in time.
    const size_t mark = peer.Received().size();
    AnswerTo(flood);
    LetQueuedLinesGo();
    EXPECT_EQ((int)kCtcpAnswerBurst, Count(peer.Received().substr(mark), "NOTICE f "));
}

// A PING token longer than a line used to come back whole in a PONG of
// over 512 bytes.
TEST_F(HostileLinesTest, APongStaysWithinOneLine)
{
    const std::string token(1500, 'p');
    const std::string pong = AnswerTo("PING :" + token + "\r\n");
    EXPECT_EQ("PONG :" + token.substr(0, 504) + "\r\n", pong);
    EXPECT_EQ(512u, pong.size());
    EXPECT_EQ("PONG :short\r\n", AnswerTo("PING short\r\n"));
}

} // namespace
