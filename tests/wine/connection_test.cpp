// The server connection under Wine against a scripted peer on loopback:
// framing of received lines, PONG, sending, and the server's close.
#include "client/control_ids.h"
#include "support/chat_fixture.h"

#include <string.h>

#include <string>

namespace {

using ConnectionTest = ConnectedChatTest;

TEST_F(ConnectionTest, RegistrationGoesOutOnConnect)
{
    EXPECT_EQ("USER username # # :description\r\nNICK tester\r\nJOIN :#marketbay\r\n",
              peer.Received());
    EXPECT_STREQ("#marketbay", Client().m_szChannel);
}

TEST_F(ConnectionTest, PingIsAnsweredWithItsToken)
{
    size_t mark = peer.Received().size();
    ServerSends("PING :irc.example.net\r\n");
    EXPECT_EQ("PONG :irc.example.net\r\n", SentSince(mark, 23));

    mark = peer.Received().size();
    ServerSends("PING token42\n");
    EXPECT_EQ("PONG :token42\r\n", SentSince(mark, 15));
}

TEST_F(ConnectionTest, LinesAreFramedWhateverTheChunks)
{
    const size_t mark = peer.Received().size();
    ServerSends("PING :ab");
    EXPECT_EQ(8, Client().m_lineLen);
    ServerSends("c\r\nPING :one\r\nPING :two\r\nPING :x\ry\r\n");
    EXPECT_EQ("PONG :abc\r\nPONG :one\r\nPONG :two\r\nPONG :x\r\n", SentSince(mark, 42));
    EXPECT_EQ(0, Client().m_lineLen);
}

TEST_F(ConnectionTest, FullSizeChunk)
{
    // Exactly one recv's worth: 1024 bytes holding 64 PINGs of 16 bytes.
    std::string chunk, expected;
    for (int i = 0; i < 64; ++i) {
        char ping[17], pong[18];
        snprintf(ping, sizeof ping, "PING :token%04d\n", i);
        snprintf(pong, sizeof pong, "PONG :token%04d\r\n", i);
        chunk += ping;
        expected += pong;
    }
    ASSERT_EQ(1024u, chunk.size());
    const size_t mark = peer.Received().size();
    ServerSends(chunk);
    EXPECT_EQ(expected, SentSince(mark, expected.size()));
}

TEST_F(ConnectionTest, OverlongLineIsCutAndItsTailDropped)
{
    // 2047 bytes of line, then a tail that must never be taken for a line.
    const std::string head = "PING :" + std::string(2041, 'x');
    const std::string tail = "PING :evil" + std::string(2953, 'y');
    const size_t mark = peer.Received().size();
    ServerSends(head + tail + "\r\nPING :ok\r\n");

    // The PONG is cut to one 512-byte line (where the line itself was cut
    // is the line assembler's native test); the tail is never answered.
    const std::string pong = "PONG :" + std::string(504, 'x') + "\r\n";
    EXPECT_EQ(pong + "PONG :ok\r\n", SentSince(mark, pong.size() + 10));
}

TEST_F(ConnectionTest, PartialLineSurvivesASend)
{
    const size_t mark = peer.Received().size();
    ServerSends("PING :par");
    Client().SendLine("PRIVMSG #marketbay :%s\r\n", "hello");
    ServerSends("tial\r\n");
    EXPECT_EQ("PRIVMSG #marketbay :hello\r\nPONG :partial\r\n", SentSince(mark, 43));
}

TEST_F(ConnectionTest, NothingIsReadAfterLogoutUntilTheClose)
{
    Client().m_connected = 0;  // as "Выйти" leaves it
    const size_t mark = peer.Received().size();
    peer.Send("PING :late\r\n");
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ("", peer.Received().substr(mark));
}

TEST_F(ConnectionTest, EventsOfAnotherSocketAreIgnored)
{
    ServerSends("PING :pen");
    const SOCKET stale = Client().m_socket + 4;
    EXPECT_EQ(0, Client().OnSocketEvent(window.Dialog(), stale, WSAMAKESELECTREPLY(FD_CLOSE, 0)));
    EXPECT_EQ(1, Client().m_connected);
    EXPECT_STREQ("PING :pen", Client().m_ioBuf);
}

TEST_F(ConnectionTest, ServerCloseLeavesTheServerTabAndTheLoginPanel)
{
    Client().OpenTab("#marketbay");
    Client().OpenTab("friend");
    HWND userList = GetDlgItem(window.Dialog(), IDC_USER_LIST);
    SendMessageA(userList, LB_ADDSTRING, 0, (LPARAM) "@friend");
    SetWindowTextA(GetDlgItem(window.Dialog(), IDC_INPUT), "half-typed");
    ServerSends("NOTICE AUTH :*** last words\r\nPING :pending");
    const SOCKET socket = Client().m_socket;

    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return Client().m_socket == 0; }));

    EXPECT_EQ(0, Client().m_connected);
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_EQ(0, Client().m_lineLen);
    EXPECT_STREQ("", Client().m_ioBuf);
    EXPECT_EQ(1, Client().m_tabCount);
    EXPECT_EQ(1, TabCtrl_GetItemCount(Client().m_hTabCtrl));
    EXPECT_EQ(0, TabCtrl_GetCurSel(Client().m_hTabCtrl));
    EXPECT_EQ(NULL, Client().FindTab("#marketbay"));
    EXPECT_NE(std::string::npos, window.OutputText("127.0.0.1").find("last words"));
    EXPECT_EQ(0, SendMessageA(userList, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, GetWindowTextLengthA(GetDlgItem(window.Dialog(), IDC_INPUT)));

    // The socket is released, and so is the connection's socket library
    // reference: only the peer's is left.
    int type = 0, length = sizeof type;
    EXPECT_EQ(SOCKET_ERROR, getsockopt(socket, SOL_SOCKET, SO_TYPE, (char*)&type, &length));
    EXPECT_EQ(1, WinsockReferences());
}

TEST(ConnectionAttempt, RefusedConnectionIsReportedAndReleased)
{
    TestChatWindow window;
    CIrcClient& client = window.Client();
    strcpy(client.m_szServer, "127.0.0.1");
    client.OpenTab(client.m_szServer);

    ASSERT_TRUE(client.Connect(UnusedPort()));
    client.m_connected = 1;
    ASSERT_TRUE(PumpUntil([&] { return client.m_connected == 0; }));

    EXPECT_EQ(0u, client.m_socket);
    EXPECT_EQ(0, WinsockReferences());
    const std::string output = window.OutputText("127.0.0.1");
    EXPECT_NE(std::string::npos, output.find("*** Соединяюсь с 127.0.0.1..."));
    EXPECT_NE(std::string::npos, output.find("*** Невозможно подключиться к IRC серверу"));
}

TEST(ConnectionAttempt, HostNameIsResolved)
{
    IrcPeer peer;
    TestChatWindow window;
    CIrcClient& client = window.Client();
    strcpy(client.m_szServer, "localhost");
    ASSERT_TRUE(client.Connect(peer.Port()));
    client.m_connected = 1;
    EXPECT_TRUE(PumpUntil([&] { return peer.TryAccept(); }));
    EXPECT_STREQ("localhost", client.m_szServerHost);
}

TEST(ServerList, FiveServersFirstSelectedPort6667)
{
    TestChatWindow window;
    window.Client().FillServerList();
    HWND servers = GetDlgItem(window.Dialog(), IDC_SERVER_LIST);
    ASSERT_EQ(5, SendMessageA(servers, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageA(servers, CB_GETCURSEL, 0, 0));
    char first[256] = "", last[256] = "";
    SendMessageA(servers, CB_GETLBTEXT, 0, (LPARAM)first);
    SendMessageA(servers, CB_GETLBTEXT, 4, (LPARAM)last);
    EXPECT_STREQ("irc.libera.chat", first);
    EXPECT_STREQ("irc.esper.net", last);
    char port[16] = "";
    GetWindowTextA(GetDlgItem(window.Dialog(), IDC_PORT), port, sizeof port);
    EXPECT_STREQ("6667", port);
}

} // namespace
