// The server connection under Wine against a scripted peer on loopback.
#include "client/control_ids.h"
#include "support/irc_peer.h"
#include "support/message_pump.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

namespace {

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.ConnectTo(peer)); }

    // Sends one chunk and waits until the client has taken all of it in.
    void SendChunk(const std::string& bytes)
    {
        peer.Send(bytes);
        PumpUntil([&] {
            unsigned long waiting = 0;
            ioctlsocket(window.Client().m_socket, FIONREAD, &waiting);
            return waiting == 0;
        });
        PumpPending();
    }

    // Waits for the client to send exactly `expected` after what it sent so far.
    std::string SentAfter(size_t mark, size_t length)
    {
        PumpUntil([&] { return peer.Received().size() >= mark + length; }, 3000);
        return peer.Received().substr(mark);
    }

    IrcPeer peer;
    TestChatWindow window;
};

TEST_F(ConnectionTest, RegistrationGoesOutOnConnect)
{
    EXPECT_EQ("USER username # # :description\r\nNICK tester\r\nJOIN :#marketbay\r\n",
              peer.Received());
    EXPECT_STREQ("#marketbay", window.Client().m_szChannel);
}

TEST_F(ConnectionTest, PingIsAnsweredWithItsToken)
{
    size_t mark = peer.Received().size();
    SendChunk("PING :irc.example.net\r\n");
    EXPECT_EQ("PONG :irc.example.net\r\n", SentAfter(mark, 23));

    mark = peer.Received().size();
    SendChunk("PING token42\r\n");
    EXPECT_EQ("PONG :token42\r\n", SentAfter(mark, 15));
}

} // namespace
