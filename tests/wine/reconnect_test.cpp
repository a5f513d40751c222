// A registered session whose link drops makes it again by itself, after a
// growing wait, keeping the window as the user left it; a session the user
// or the server ended does not come back.
#include "client/control_ids.h"
#include "net/reconnect_delay.h"
#include "support/chat_fixture.h"

#include <string.h>

#include <string>

namespace {

const uint32_t kJitterMs = 1000;
uint32_t FixedJitter() { return kJitterMs; }

const char kServerTab[] = "127.0.0.1";
const char kChannel[] = "#marketbay";

std::string DropLine(const char* reason, int seconds, int attempt)
{
    return std::string("*** Соединение потеряно (") + reason + "). Повторное подключение через " +
           std::to_string(seconds) + " с (попытка " + std::to_string(attempt) + ")";
}

class ReconnectTest : public ChannelChatTest {
protected:
    void SetUp() override
    {
        m_pfnPreviousJitter = g_pfnReconnectJitter;
        g_pfnReconnectJitter = &FixedJitter;
        ChannelChatTest::SetUp();
        if (!HasFatalFailure())
            Welcome("alice");
    }
    void TearDown() override { g_pfnReconnectJitter = m_pfnPreviousJitter; }

    // The server welcomes the user and confirms the channel join, listing
    // `other` beside the user.
    void Welcome(const std::string& other)
    {
        ServerSends(":irc.test 001 tester :Welcome\r\n:tester!u@h JOIN :#marketbay\r\n"
                    ":irc.test 353 tester = #marketbay :tester " + other + "\r\n"
                    ":irc.test 366 tester #marketbay :End of /NAMES list.\r\n");
    }

    bool Shows(const char* tab, const std::string& line) const
    {
        return window.OutputText(tab).find(line) != std::string::npos;
    }
    bool WaitUntilShown(const std::string& line)
    {
        return PumpUntil([&] { return Shows(kServerTab, line); });
    }

    // Time passes; true when the client connected again and sent its
    // registration within it (the attempts' timer looks at the clock four
    // times a second).
    bool AttemptsAfter(DWORD milliseconds, int timeoutMs = 5000)
    {
        m_mark = peer.Received().size();
        clock.Advance(milliseconds);
        return PumpUntil([&] {
            return peer.TryAccept() && peer.Received().find("NICK tester\r\n", m_mark) != std::string::npos;
        }, timeoutMs);
    }
    bool AttemptsWithin(DWORD milliseconds) { return AttemptsAfter(milliseconds, 750); }

    // Waits, reading no window message, until the client's socket holds
    // this many bytes.
    bool ArriveUnread(size_t bytes)
    {
        for (int step = 0; step < 500; ++step, Sleep(10)) {
            unsigned long waiting = 0;
            if (ioctlsocket(Client().m_socket, FIONREAD, &waiting) == 0 && waiting >= bytes)
                return true;
        }
        return false;
    }

    HWND Input() const { return GetDlgItem(window.Dialog(), IDC_INPUT); }

    size_t m_mark = 0;

private:
    uint32_t (*m_pfnPreviousJitter)() = nullptr;
};

TEST_F(ReconnectTest, DropAfterWelcomeReconnectsAndRejoinsKeepingTheWindow)
{
    ServerSends(":alice!a@h PRIVMSG #marketbay :said before the drop\r\n");
    SetWindowTextA(Input(), "half-typed");
    // Five lines go at once, four wait for the pace when the link drops.
    clock.Advance(10000);
    Client().TrimAndSend("line 1\nline 2\nline 3\nline 4\nline 5\nline 6\nline 7\nline 8\nline 9");
    ASSERT_TRUE(PumpUntil([&] { return peer.Received().find("line 5\r\n") != std::string::npos; }));

    peer.CloseClient();
    const std::string drop = DropLine("сервер закрыл соединение", 3, 1);
    ASSERT_TRUE(WaitUntilShown(drop));
    EXPECT_TRUE(Shows(kChannel, drop));
    EXPECT_TRUE(Shows(kChannel, "*** Не отправлено строк: 4"));
    EXPECT_TRUE(Shows(kChannel, "said before the drop"));
    EXPECT_EQ(2, Client().m_loginState) << "the login panel stays away";
    EXPECT_FALSE(IsWindowEnabled(Input()));
    EXPECT_EQ((std::vector<std::string>{ "alice", "tester" }), window.UserListEntries());

    EXPECT_FALSE(AttemptsWithin(2999));
    ASSERT_TRUE(AttemptsAfter(1));
    const std::string registration = "CAP LS 302\r\nUSER username # # :description\r\nNICK tester\r\n";
    EXPECT_EQ(registration, peer.Received().substr(m_mark)) << "the same registration, and none of the lines left unsent";
    EXPECT_FALSE(IsWindowEnabled(Input())) << "until the join is confirmed";

    Welcome("bob");
    EXPECT_EQ(registration + "JOIN :#marketbay\r\n", peer.Received().substr(m_mark)) << "the rejoin after the welcome";
    EXPECT_TRUE(Shows(kServerTab, "*** Соединение восстановлено"));
    EXPECT_TRUE(Shows(kChannel, "*** Соединение восстановлено"));
    EXPECT_TRUE(Shows(kChannel, "said before the drop"));
    EXPECT_TRUE(IsWindowEnabled(Input()));
    char typed[32] = "";
    GetWindowTextA(Input(), typed, sizeof typed);
    EXPECT_STREQ("half-typed", typed);
    EXPECT_EQ((std::vector<std::string>{ "bob", "tester" }), window.UserListEntries());
}

// The next link's server has not said its rules when it refuses the nick:
// the stand-in fits the nick length the server announced before the drop.
TEST_F(ReconnectTest, AStandInFitsTheNickLengthAnnouncedBeforeTheDrop)
{
    ServerSends(":irc.test 005 tester NICKLEN=5 :are supported by this server\r\n");
    peer.CloseClient();
    ASSERT_TRUE(WaitUntilShown(DropLine("сервер закрыл соединение", 3, 1)));
    ASSERT_TRUE(AttemptsAfter(3000));

    const size_t mark = peer.Received().size();
    ServerSends(":irc.test 433 * tester :Nickname is already in use\r\n");
    EXPECT_EQ("NICK :test_\r\n", SentSince(mark, 13));
    EXPECT_TRUE(Shows(kServerTab, "*** Ник tester занят, пробую test_"));
}

// The server's answer to /away is shown; the next link is told again after
// its welcome.
TEST_F(ReconnectTest, AwayIsSetAgainAfterTheWelcome)
{
    Client().TrimAndSend("/away lunch");
    ASSERT_TRUE(PumpUntil([&] { return peer.Received().find("AWAY :lunch\r\n") != std::string::npos; }));
    ServerSends(":irc.test 306 tester :You have been marked as being away\r\n");
    EXPECT_TRUE(Shows(kServerTab, "You have been marked as being away"));
    peer.CloseClient();
    ASSERT_TRUE(WaitUntilShown(DropLine("сервер закрыл соединение", 3, 1)));
    ASSERT_TRUE(AttemptsAfter(3000));
    EXPECT_EQ(std::string::npos, peer.Received().find("AWAY", m_mark)) << "not before the welcome";
    Welcome("bob");
    EXPECT_NE(std::string::npos, peer.Received().find("JOIN :#marketbay\r\nAWAY :lunch\r\n", m_mark));
}

TEST_F(ReconnectTest, EachFailedAttemptDoublesTheWaitAndASteadyLinkStartsItAfresh)
{
    struct Attempt {
        int seconds;  // the wait shown, 2 s doubled per failure, plus the jitter
        int number;
    };
    const Attempt attempts[] = { { 3, 1 }, { 5, 2 }, { 9, 3 }, { 17, 4 } };
    for (const Attempt& attempt : attempts) {
        peer.CloseClient();  // before the welcome, after the first
        ASSERT_TRUE(WaitUntilShown(DropLine("сервер закрыл соединение", attempt.seconds, attempt.number)));
        EXPECT_FALSE(AttemptsWithin(attempt.seconds * 1000 - 1)) << attempt.seconds;
        ASSERT_TRUE(AttemptsAfter(1)) << attempt.seconds;
    }

    // The server's ERROR is a drop like its close, its text the reason.
    Welcome("alice");
    clock.Advance(kSteadyLinkMs + 1);
    peer.Send("ERROR :Closing link: (tester@h) [Ping timeout]\r\n");
    peer.CloseClient();
    EXPECT_TRUE(WaitUntilShown(DropLine("(tester@h) [Ping timeout]", 3, 1)));
}

TEST_F(ReconnectTest, SilentServerIsAskedThenFoundDead)
{
    size_t mark = peer.Received().size();
    clock.Advance(60000);
    ASSERT_TRUE(PumpUntil([&] { return peer.Received().find("PING :talvo-liveness\r\n", mark) != std::string::npos; }));
    ServerSends(":irc.test PONG irc.test :talvo-liveness\r\n");
    EXPECT_FALSE(Shows(kServerTab, "talvo-liveness")) << "the answer to our own PING is not shown";

    mark = peer.Received().size();
    clock.Advance(60000);
    ASSERT_TRUE(PumpUntil([&] { return peer.Received().find("PING :talvo-liveness\r\n", mark) != std::string::npos; }));
    const std::string drop = DropLine("сервер не отвечает", 3, 1);
    clock.Advance(59999);
    EXPECT_FALSE(PumpUntil([&] { return Shows(kServerTab, drop); }, 1500));
    clock.Advance(1);
    ASSERT_TRUE(WaitUntilShown(drop));

    peer.CloseClient();
    EXPECT_TRUE(AttemptsAfter(3000));
}

struct EndingRow {
    const char* description;
    bool waiting;       // the link had dropped, and the next attempt was being waited for
    bool logout;        // the user pressed "Выйти" first
    const char* lines;  // the server's last lines before its close
    const char* shown;  // in the server tab
};

void PrintTo(const EndingRow& row, std::ostream* out) { *out << row.description; }

class SessionEndTest : public ReconnectTest, public ::testing::WithParamInterface<EndingRow> {};

TEST_P(SessionEndTest, ReturnsToTheLoginPanelForGood)
{
    const EndingRow& row = GetParam();
    if (row.waiting) {
        peer.CloseClient();
        ASSERT_TRUE(WaitUntilShown(DropLine("сервер закрыл соединение", 3, 1)));
    }
    if (row.logout)
        Client().OnLogoutButton();
    if (row.lines) {
        // The close is handled before the read its lines brought: they are
        // still shown.
        peer.Send(row.lines);
        ASSERT_TRUE(ArriveUnread(strlen(row.lines)));
        Client().OnSocketEvent(window.Dialog(), (WPARAM)Client().m_socket, WSAMAKESELECTREPLY(FD_CLOSE, 0));
    }
    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return Client().m_socket == 0; }));
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_EQ(row.logout ? 0 : 1, Client().m_tabCount) << "the server tab says why the server ended it";
    if (row.shown) {
        EXPECT_TRUE(Shows(kServerTab, row.shown)) << window.OutputText(kServerTab);
    }
    EXPECT_FALSE(AttemptsWithin(600000));
}

INSTANTIATE_TEST_SUITE_P(Endings, SessionEndTest, ::testing::Values(
    EndingRow{ "the user pressed Выйти, the server said goodbye", false, true,
               "ERROR :Closing link: (tester@h) [Quit: leaving]\r\n", nullptr },
    EndingRow{ "the user pressed Выйти during the wait", true, true, nullptr, nullptr },
    EndingRow{ "wrong server password (464)", false, false,
               ":irc.test 464 tester :Password incorrect\r\nERROR :Closing link: (tester@h) [Bad password]\r\n",
               "Password incorrect" },
    EndingRow{ "banned (465)", false, false,
               ":irc.test 465 tester :You are not welcome here\r\nERROR :Closing link: (tester@h) [Quit]\r\n",
               "*** (tester@h) [Quit]" },
    EndingRow{ "a ban's ERROR, the last line before the close", false, false,
               "ERROR :Closing link: (tester@h) [k-lined: spam]\r\n",
               "*** (tester@h) [k-lined: spam]" }));

} // namespace
