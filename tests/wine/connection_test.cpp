// The server connection under Wine against a scripted peer on loopback:
// framing of received lines, PONG, sending, and the server's close.
#include "client/control_ids.h"
#include "net/host_lookup.h"
#include "protocol/tokens.h"
#include "support/chat_fixture.h"

#include <algorithm>
#include <memory>

#include <string.h>

#include <string>

namespace {

using ConnectionTest = ConnectedChatTest;

TEST_F(ConnectionTest, RegistrationGoesOutOnConnectAndTheJoinAfterTheWelcome)
{
    EXPECT_EQ("CAP LS 302\r\nUSER username # # :description\r\nNICK tester\r\n", SentSince(0, 100));
    ServerSends(":irc.test 001 tester :Welcome\r\n");
    EXPECT_EQ("CAP LS 302\r\nUSER username # # :description\r\nNICK tester\r\nJOIN :#marketbay\r\n",
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
    EXPECT_EQ(WinsockReferencesAtStart() + 1, WinsockReferences());
}

TEST(ConnectionAttempt, RefusedConnectionIsReportedAndReleased)
{
    TestChatWindow window;
    CIrcClient& client = window.Client();
    strcpy(client.m_szServer, "127.0.0.1");
    client.OpenTab(client.m_szServer);
    ASSERT_TRUE(client.Connect(UnusedPort(), false));
    client.m_connected = 1;
    ASSERT_TRUE(PumpUntil([&] { return client.m_connected == 0; }));

    EXPECT_EQ(0u, client.m_socket);
    EXPECT_EQ(WinsockReferencesAtStart(), WinsockReferences());
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
    ASSERT_TRUE(client.Connect(peer.Port(), false));
    client.m_connected = 1;
    EXPECT_TRUE(PumpUntil([&] { return peer.TryAccept(); }));
    EXPECT_STREQ("localhost", client.m_szServerHost);
}

// A resolver that answers only when the test lets it, as a slow one would.
class HeldResolver {
public:
    explicit HeldResolver(bool found) : m_pfnPrevious(g_pfnResolveHost)
    {
        s_found = found;
        s_answer = CreateEventA(NULL, TRUE, FALSE, NULL);
        g_pfnResolveHost = &Resolve;
    }
    ~HeldResolver()
    {
        Answer();
        PumpUntil([] { return s_waiting == 0; });
        g_pfnResolveHost = m_pfnPrevious;
        CloseHandle(s_answer);
    }

    void Answer() { SetEvent(s_answer); }
    static bool Asked() { return s_waiting > 0; }

private:
    static bool Resolve(const char*, in_addr* address)
    {
        InterlockedIncrement(&s_waiting);
        WaitForSingleObject(s_answer, 10000);
        address->s_addr = htonl(INADDR_LOOPBACK);
        InterlockedDecrement(&s_waiting);
        return s_found;
    }

    static HANDLE s_answer;
    static volatile LONG s_waiting;
    static bool s_found;
    bool (*m_pfnPrevious)(const char*, in_addr*);
};

HANDLE HeldResolver::s_answer;
volatile LONG HeldResolver::s_waiting;
bool HeldResolver::s_found;

class ResolutionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.reset(new TestChatWindow);
        CopyText(Client().m_szServer, sizeof Client().m_szServer, "irc.slow.test");
        CopyText(Client().m_szNick, sizeof Client().m_szNick, "tester");
        Client().OpenTab(Client().m_szServer);
    }

    CIrcClient& Client() { return window->Client(); }

    // Connects as the login panel does while the resolver holds its answer.
    void StartConnecting()
    {
        ASSERT_TRUE(Client().Connect(peer.Port(), false));
        Client().m_connected = 1;
        Client().m_loginState = 2;
        ASSERT_TRUE(PumpUntil([] { return HeldResolver::Asked(); }));
    }

    // Once the late answer has come and gone, nothing reached the peer and
    // no socket library reference is left but the peer's.
    void ExpectNothingLeft()
    {
        PumpUntil([&] { return peer.TryAccept(); }, 300);
        EXPECT_FALSE(peer.Connected());
        EXPECT_TRUE(PumpUntil([&] { return WinsockReferences() == WinsockReferencesAtStart() + 1; }));
    }

    IrcPeer peer;
    std::unique_ptr<TestChatWindow> window;
};

TEST_F(ResolutionTest, ConnectReturnsBeforeTheAnswerAndGoesOnFromIt)
{
    HeldResolver resolver(true);
    StartConnecting();
    EXPECT_EQ(0u, Client().m_socket);
    EXPECT_TRUE(Client().IsBeingConnected());
    EXPECT_NE(std::string::npos, window->OutputText("irc.slow.test").find("*** Соединяюсь с irc.slow.test..."));

    resolver.Answer();
    ASSERT_TRUE(PumpUntil([&] {
        return peer.TryAccept() && peer.Received().find("NICK tester\r\n") != std::string::npos;
    }));
    EXPECT_FALSE(Client().IsBeingConnected());
}

TEST_F(ResolutionTest, UnknownNameIsSaidWhenTheAnswerComes)
{
    HeldResolver resolver(false);
    StartConnecting();
    resolver.Answer();
    ASSERT_TRUE(PumpUntil([&] { return Client().m_connected == 0; }));
    EXPECT_NE(std::string::npos,
              window->OutputText("irc.slow.test").find("*** Невозможно получить ответ от IRC сервера."));
    EXPECT_EQ(0, Client().m_loginState);
    ExpectNothingLeft();
}

TEST_F(ResolutionTest, LogoutWhileResolvingEndsTheAttempt)
{
    HeldResolver resolver(true);
    StartConnecting();
    Client().OnLogoutButton();
    EXPECT_FALSE(Client().IsBeingConnected());
    resolver.Answer();
    ExpectNothingLeft();
}

TEST_F(ResolutionTest, WindowClosedWhileResolvingLeavesNothing)
{
    HeldResolver resolver(true);
    StartConnecting();
    window.reset();
    resolver.Answer();
    ExpectNothingLeft();
}

TEST_F(ResolutionTest, AnswerToAnEarlierConnectIsIgnored)
{
    HeldResolver resolver(true);
    StartConnecting();
    ASSERT_TRUE(Client().Connect(peer.Port(), false));
    resolver.Answer();
    // Both answers come; only the second connects, once.
    ASSERT_TRUE(PumpUntil([&] {
        return peer.TryAccept() && peer.Received().find("NICK tester\r\n") != std::string::npos;
    }));
    PumpUntil([] { return false; }, 200);
    const std::string& sent = peer.Received();
    EXPECT_EQ(sent.find("USER "), sent.rfind("USER ")) << sent;
}

TEST(ServerList, FiveServersFirstSelectedPort6697)
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
    EXPECT_STREQ("6697", port);
}

} // namespace
