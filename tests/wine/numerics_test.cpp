// Numeric replies through the real dispatch: the lines and colours the user
// reads, the user list from NAMES, and the refused nick's way back to login.
#include "client/control_ids.h"
#include "net/quit_reason.h"
#include "protocol/local_time.h"
#include "protocol/tokens.h"
#include "support/chat_fixture.h"
#include "support/output_reading.h"

#include <time.h>

#include <string>
#include <vector>

namespace {

const char kServerTab[] = "127.0.0.1";
const char kGrey[] = "170,170,170";
const char kGreen[] = "0,147,0";
const char kRed[] = "255,0,0";

// The runtime's own local time of `seconds`, spelled by another formatter.
std::string RuntimeLocalTime(__time64_t seconds)
{
    const struct tm* local = _localtime64(&seconds);
    if (!local)
        return kUnknownTime;
    char text[64];
    strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", local);
    return text;
}

class NumericsTest : public ChannelChatTest {
protected:
    void SetUp() override
    {
        ChannelChatTest::SetUp();
        // As the channel join leaves it.
        CopyText(Client().m_szChannel, sizeof Client().m_szChannel, "#marketbay");
    }

    void Reply(const std::string& text) { ServerSends(":irc.example.net " + text + "\r\n"); }

    // The last characters of a tab's text, as many as `end` has.
    std::string Tail(const char* tab, const std::string& end)
    {
        const std::string text = window.OutputText(tab);
        return text.substr(text.size() < end.size() ? 0 : text.size() - end.size());
    }

    // "r,g,b" of the last character written into a tab.
    std::string LastColour(const char* tab)
    {
        HWND output = Client().FindTab(tab);
        GETTEXTLENGTHEX length = { GTL_NUMCHARS | GTL_PRECISE, CP_ACP };
        const LRESULT end = SendMessageA(output, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
        return StyleAt(output, (LONG)end - 1, 0);
    }
};

TEST_F(NumericsTest, RepliesWrittenToTheServerTab)
{
    const struct {
        const char* reply;
        const char* shown;
        const char* colour;
    } rows[] = {
        { "001 tester :Welcome to the net", "Welcome to the net", kGrey },
        { "372 tester :- Be nice", "- Be nice", kGrey },
        // The welcome's and the counts' replies are shown whole, colons and
        // all, where an unknown reply would lose its first colon.
        { "002 tester :Your host is irc.example.net, running version ngircd-26", "Your host is irc.example.net, "
          "running version ngircd-26", kGrey },
        { "003 tester :This server was created Mon Jan 1 2024 at 12:00:00", "This server was created Mon Jan 1 "
          "2024 at 12:00:00", kGrey },
        { "004 tester irc.example.net ngircd-26 abc defhi", "irc.example.net ngircd-26 abc defhi", kGrey },
        { "250 tester :Highest connection count: 3 (4 received)", "Highest connection count: 3 (4 received)", kGrey },
        { "251 tester :There are 2 users and 0 services on 1 servers", "There are 2 users and 0 services on 1 "
          "servers", kGrey },
        { "255 tester :I have 2 users, 0 services and 0 servers", "I have 2 users, 0 services and 0 servers", kGrey },
        { "265 tester 2 3 :Current local users: 2, Max: 3", "2 3 :Current local users: 2, Max: 3", kGrey },
        { "266 tester 2 3 :Current global users: 2, Max: 3", "2 3 :Current global users: 2, Max: 3", kGrey },
        { "375 tester :- irc.example.net message of the day", "- irc.example.net message of the day", kGrey },
        { "376 tester :End of MOTD command", "End of MOTD command", kGrey },
        { "311 tester Alice al host.example * ::Alice A.", "Alice is al@host.example * :Alice A.", kGrey },
        { "312 tester Alice irc.example.net :Example", "Alice using irc.example.net Example", kGrey },
        { "317 tester Alice 42", "Alice idle 42 seconds", kGrey },
        { "317 tester Alice 43 ", "Alice idle 43 seconds", kGrey },
        { "319 tester Alice :@#marketbay #other", "Alice on @#marketbay #other", kGrey },
        { "318 tester Alice :End of /WHOIS list.", "Alice End of /WHOIS list.", kGrey },
        { "366 tester #marketbay :End", " Конец списка пользователей на канале", kGrey },
        { "401 tester nobody :No such nick", " Нет такого ника/канала", kRed },
        { "433 tester Alice :Nickname is already in use", " Этот ник уже используется", kRed },
        { "252 tester 5 :operator(s) online", "5 operator(s) online", kGrey },
        { "422 tester :MOTD File is missing", "MOTD File is missing", kGrey },
        { "005 tester CHANTYPES=# PREFIX=(ov)@+", "CHANTYPES=# PREFIX=(ov)@+", kGrey },
        // The answer to a PING without origin is dropped.
        { "409 tester :No origin specified", "CHANTYPES=# PREFIX=(ov)@+", kGrey },
        { "1001 tester a b :c: d", "a b c: d", kGrey },
        { "-401 tester x :y", "x y", kGrey },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        Reply(row.reply);
        EXPECT_EQ(row.shown, LastLine(kServerTab));
        EXPECT_EQ(row.colour, LastColour(kServerTab));
    }
    EXPECT_EQ("", window.OutputText("#marketbay"));
    EXPECT_TRUE(Client().m_connected);
}

TEST_F(NumericsTest, SignOnTimeKeepsItsLineFeed)
{
    Reply("317 tester Alice 42 0 :seconds idle, signon time");
    const std::string epoch = "\nAlice idle 42 seconds, signed on " + RuntimeLocalTime(0) + "\n";
    EXPECT_EQ(epoch, Tail(kServerTab, epoch));

    // A count the runtime refuses shows the placeholder instead of failing.
    __time64_t refused = -1;
    ASSERT_EQ(nullptr, _localtime64(&refused));
    Reply("317 tester Alice 7 -1 :seconds idle, signon time");
    const std::string unknown = "\nAlice idle 7 seconds, signed on неизвестно\n";
    EXPECT_EQ(unknown, Tail(kServerTab, unknown));
}

TEST_F(NumericsTest, TopicLinesGoToTheChannelTab)
{
    Reply("332 tester #marketbay :Prices: low");
    EXPECT_EQ("*** Тема канала: Prices: low", LastLine("#marketbay"));
    EXPECT_EQ(kGreen, LastColour("#marketbay"));
    Reply("332 tester #marketbay");
    EXPECT_EQ("*** Тема канала не установлена", LastLine("#marketbay"));

    Reply("333 tester #marketbay bob!b@h 1700000000");
    EXPECT_EQ("*** Установлено bob!b@h. Дата установки темы канала: " + RuntimeLocalTime(1700000000),
              LastLine("#marketbay"));
    EXPECT_EQ(kGreen, LastColour("#marketbay"));
    Reply("333 tester #marketbay bob -86400");
    EXPECT_EQ("*** Установлено bob. Дата установки темы канала: неизвестно", LastLine("#marketbay"));

    EXPECT_EQ(std::string::npos, window.OutputText(kServerTab).find("Тема"));
    EXPECT_EQ(std::string::npos, window.OutputText(kServerTab).find("Установлено"));
}

TEST_F(NumericsTest, NamesFillTheUserList)
{
    Reply("353 tester = #marketbay :@op +voice plain ");
    const std::string names = "\nСписок пользователей на канале\n#marketbay @op +voice plain ";
    EXPECT_EQ(names, Tail(kServerTab, names));
    EXPECT_EQ(kGrey, LastColour(kServerTab));
    EXPECT_EQ((std::vector<std::string>{ "@op", "+voice", "plain" }), window.UserListEntries());

    // A big channel's names span replies up to the 366; the next reply
    // starts the list afresh. The channel is kept as the server writes it.
    Reply("353 tester = #MarketBay :::Zed alice");
    EXPECT_EQ((std::vector<std::string>{ "@op", "+voice", "alice", "plain", "Zed" }), window.UserListEntries());
    EXPECT_STREQ("#MarketBay", Client().m_szChannel);
    EXPECT_EQ("#MarketBay Zed alice", LastLine(kServerTab));
    Reply("366 tester #marketbay :End of /NAMES list.");
    Reply("353 tester = #marketbay :bob");
    EXPECT_EQ((std::vector<std::string>{ "bob" }), window.UserListEntries());
}

TEST_F(NumericsTest, RefusedNickEndsTheConnection)
{
    Client().OpenTab("friend");
    Reply("353 tester = #marketbay :tester friend");
    const size_t mark = peer.Received().size();

    // The line after the refusal is not taken: no PONG follows the QUIT.
    Reply("432 tester b@d :Erroneous Nickname\r\nPING :late");
    EXPECT_EQ(" Неверный ник", LastLine(kServerTab));
    EXPECT_EQ(kRed, LastColour(kServerTab));
    ASSERT_TRUE(PumpUntil([&] { return peer.ClientClosed(); }));
    EXPECT_EQ(std::string("QUIT :") + kQuitReason + "\r\n", peer.Received().substr(mark));
    // "Зайти" is taken only while no connection is open.
    EXPECT_EQ(0, Client().m_connected);
    EXPECT_EQ(0u, Client().m_socket);

    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_TRUE(window.UserListEntries().empty());
    EXPECT_EQ(1, Client().m_tabCount);
    EXPECT_EQ(1, TabCtrl_GetItemCount(Client().m_hTabCtrl));
    EXPECT_NE(nullptr, Client().FindTab(kServerTab));
    EXPECT_TRUE(IsWindowVisible(Client().m_hTabCtrl));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window.Dialog(), IDC_LOGIN)));
    // Only the peer's socket library reference is left; counting ends every
    // socket, so it comes last.
    EXPECT_EQ(WinsockReferencesAtStart() + 1, WinsockReferences());
}

} // namespace
