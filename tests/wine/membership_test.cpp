// Channel membership events from the scripted server: the lines written, the
// user list, the tabs, the input line, and what goes back to the server.
#include "client/control_ids.h"
#include "support/chat_fixture.h"
#include "support/output_reading.h"

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Entries;

const char kChannel[] = "#marketbay";
const char kServer[] = "127.0.0.1";

class MembershipTest : public ChannelChatTest {
protected:
    HWND Control(int id) const { return GetDlgItem(window.Dialog(), id); }
    bool InputEnabled() const { return IsWindowEnabled(Control(IDC_INPUT)) != FALSE; }
    void SetInputEnabled(bool enabled) { EnableWindow(Control(IDC_INPUT), enabled); }

    void List(const char* names)
    {
        Client().ClearUserList();
        Client().AddUserNames(names);
    }

    Entries Listed() const { return window.UserListEntries(); }

    // "r,g,b" of the first character of the first occurrence of `word`.
    std::string ColourOf(const char* tab, const char* word) { return StyleOf(Client().FindTab(tab), word, 0); }
};

const char kGreen[] = "0,147,0";
const char kNavy[] = "0,0,127";

struct EventCase {
    const char* description;
    const char* names;    // the user list before
    std::string lines;    // what the server sends
    const char* tab;      // where the lines are written
    const char* written;  // what they add to that tab
    Entries after;
};

std::ostream& operator<<(std::ostream& out, const EventCase& row) { return out << row.description; }

class EventTest : public MembershipTest, public ::testing::WithParamInterface<EventCase> {};

TEST_P(EventTest, WritesItsLineAndKeepsTheList)
{
    const EventCase& row = GetParam();
    List(row.names);
    const std::string before = window.OutputText(row.tab);
    ServerSends(row.lines + "\r\n");
    EXPECT_EQ(before + row.written, window.OutputText(row.tab));
    EXPECT_EQ(row.after, Listed());
    EXPECT_NE('@', Client().m_nickPrefix);
}

const char kJoinZed[] = "\r\n:zed!z@h JOIN :#marketbay";

INSTANTIATE_TEST_SUITE_P(Membership, EventTest, ::testing::Values(
    EventCase{ "join", "", ":alice!a@h JOIN :#marketbay", kChannel, "\n*** alice приходит", { "alice" } },
    EventCase{ "part", "@alice bob", ":alice!a@h PART #marketbay", kChannel, "\n*** alice уходит", { "bob" } },
    EventCase{ "own part", "bob", ":tester!u@h PART #marketbay :bye", kChannel, "", { "bob" } },
    EventCase{ "quit with a capitalised first word", "alice bob", ":alice!a@h QUIT :Quit: Gone For Now", kChannel,
               "\n*** alice (quit: Gone For Now) выходит", { "bob" } },
    EventCase{ "quit of one word", "alice", ":alice!a@h QUIT :Bye", kChannel, "\n*** alice (bye ) выходит", {} },
    EventCase{ "quit without message", "alice", ":alice!a@h QUIT", kChannel, "\n*** alice ( ) выходит", {} },
    EventCase{ "kick of another user", "@bob carol", ":op!o@h KICK #marketbay Bob :spam", kChannel,
               "\n*** Bob был выкинут с канал пользователем op", { "carol" } },
    EventCase{ "nick change keeps the status", "@alice +bob", ":alice!a@h NICK :Alicia\r\n:bob!b@h NICK :Robert",
               kChannel, "\n*** alice теперь известен как alicia\n*** bob теперь известен как robert",
               { "@alicia", "+robert" } },
    // Only a nick change carries '@' from the removed entry to the added one.
    EventCase{ "part, then a join", "@alice", std::string(":alice!a@h PART #marketbay") + kJoinZed, kServer, "",
               { "zed" } },
    EventCase{ "quit, then a join", "@alice", std::string(":alice!a@h QUIT :bye") + kJoinZed, kServer, "",
               { "zed" } },
    EventCase{ "kick, then a join", "@alice", std::string(":op!o@h KICK #marketbay alice :out") + kJoinZed,
               kServer, "", { "zed" } },
    // The list shows the highest status only.
    EventCase{ "+v on an operator", "@alice", ":op!o@h MODE #marketbay +v alice", kChannel,
               "\n*** ChanServ sets mode: +v alice", { "@alice" } },
    EventCase{ "+v on a voiced user", "+alice", ":op!o@h MODE #marketbay +v alice", kChannel, "", { "+alice" } },
    EventCase{ "-v", "+alice", ":op!o@h MODE #marketbay -v alice", kChannel, "\n*** ChanServ sets mode: -v alice",
               { "alice" } },
    EventCase{ "+o on an operator", "@alice", ":op!o@h MODE #marketbay +o alice", kChannel, "", { "@alice" } },
    // Some servers send the mode's last parameter with a leading ':'.
    EventCase{ "+o with a colon before the nick", "alice", ":op!o@h MODE #marketbay +o :alice", kChannel,
               "\n*** ChanServ sets mode: +o alice", { "@alice" } },
    EventCase{ "+o on other capitals", "+alice", ":op!o@h MODE #marketbay +o Alice", kChannel,
               "\n*** ChanServ sets mode: +o Alice", { "@alice" } },
    EventCase{ "-o, then a join", "@alice", std::string(":op!o@h MODE #marketbay -o alice") + kJoinZed, kChannel,
               "\n*** ChanServ sets mode: -o alice\n*** zed приходит", { "alice", "zed" } },
    EventCase{ "-o on a non-operator", "alice", ":op!o@h MODE #marketbay -o alice", kChannel,
               "\n*** ChanServ sets mode: -o alice", { "alice" } },
    EventCase{ "+b with a mask", "alice", ":op!o@h MODE #marketbay +b *!*@bad.example", kChannel,
               "\n*** ChanServ sets mode: +b *!*@bad.example", { "alice" } },
    EventCase{ "mode word alone", "", ":op!o@h MODE #marketbay :+m", kChannel, "\n*** ChanServ sets mode: +m", {} },
    EventCase{ "user mode", "", ":tester!u@h MODE tester :+i", kChannel, "", {} },
    EventCase{ "topic", "", ":alice!a@h TOPIC #marketbay :fresh news", kServer,
               "\n*** alice изменил тему на 'fresh news'", {} },
    // Lower-case commands are handled but choose the tab by the last rows.
    EventCase{ "lower-case commands", "", ":alice!a@h join :#marketbay\r\n:alice!a@h nick :ann", kServer,
               "\n*** alice приходит\n*** alice теперь известен как ann", { "ann" } }));

TEST_F(MembershipTest, OwnJoinWritesIntoThePreviousChannelAndTopicSwitchesToo)
{
    SetInputEnabled(false);
    ServerSends(":Tester!u@h JOIN :#Other\r\n");
    EXPECT_EQ("*** Вы находитесь на канале #other", LastLine(kChannel));
    EXPECT_EQ(kGreen, ColourOf(kChannel, "Вы"));
    EXPECT_STREQ("#other", Client().m_szChannel);
    EXPECT_TRUE(InputEnabled());
    EXPECT_EQ(Entries(), Listed());

    ServerSends(":alice!a@h TOPIC #Third :news\r\n");
    EXPECT_STREQ("#third", Client().m_szChannel);
}

TEST_F(MembershipTest, PrivateTabAndInputLineFollowTheirUser)
{
    // Another user's nick change enables the input line, wherever it is.
    SetInputEnabled(false);
    ServerSends(":bob!b@h NICK :robert\r\n");
    EXPECT_TRUE(InputEnabled());

    Client().OpenTab("alice");
    SetInputEnabled(false);
    ServerSends(":robert!b@h JOIN :#marketbay\r\n");
    EXPECT_FALSE(InputEnabled());
    ServerSends(":alice!a@h JOIN :#marketbay\r\n");
    EXPECT_TRUE(InputEnabled());

    ServerSends(":alice!a@h QUIT :bye\r\n:robert!b@h PART #marketbay\r\n");
    EXPECT_EQ("\n*** alice вернулся\n*** alice уходит", window.OutputText("alice"));
    EXPECT_EQ(kGreen, ColourOf("alice", "уходит"));
    EXPECT_EQ(kNavy, ColourOf(kChannel, "уходит"));
    EXPECT_EQ(kNavy, ColourOf(kChannel, "выходит"));
    EXPECT_FALSE(InputEnabled());
    EXPECT_STREQ("alice", Client().GetCurrentTabName());
    // The tab control itself is hidden here: look at the page's own style.
    EXPECT_TRUE(GetWindowLongA(Client().GetCurrentPage(), GWL_STYLE) & WS_VISIBLE);

    // Typing into the old nick's private tab would address nobody.
    ServerSends(":alice!a@h JOIN :#marketbay\r\n:alice!a@h NICK :al\r\n");
    EXPECT_FALSE(InputEnabled());
}

TEST_F(MembershipTest, OwnNickChangeIsStoredLowercased)
{
    List("@tester");
    ServerSends(":tester!u@h NICK :NewName\r\n");
    EXPECT_EQ("*** теперь твой ник newname", LastLine(kChannel));
    EXPECT_STREQ("newname", Client().m_szNick);
    char shown[64] = "";
    GetWindowTextA(Control(IDC_NICK), shown, sizeof shown);
    EXPECT_STREQ("newname", shown);
    EXPECT_EQ(Entries({ "@newname" }), Listed());
}

TEST_F(MembershipTest, KickOfTheUserEndsTheConnectionAndTheLoginPanelWorksAtOnce)
{
    List("@op tester");
    Client().OpenTab("friend");
    const std::string serverText = window.OutputText(kServer);
    const size_t mark = peer.Received().size();
    // The rest of the chunk is never read: the connection is gone.
    ServerSends(":op!o@h KICK #marketbay Tester :go away\r\nPING :after\r\n");

    const std::string quit = "QUIT :http://talvo.example/irc\r\n";
    EXPECT_EQ(quit, SentSince(mark, quit.size()));
    EXPECT_TRUE(PumpUntil([&] { return peer.ClientClosed(); }));
    EXPECT_EQ(Entries(), Listed());
    EXPECT_EQ(1, Client().m_tabCount);
    EXPECT_EQ(1, TabCtrl_GetItemCount(Client().m_hTabCtrl));
    // The reason stays readable in the server tab, left in sight.
    EXPECT_EQ(serverText + "\n*** ты был выкинут с канала #marketbay пользователем op (go away)",
              window.OutputText(kServer));
    EXPECT_TRUE(GetWindowLongA(Client().m_hTabCtrl, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_EQ(0, Client().m_connected);
    EXPECT_EQ(0u, Client().m_socket);

    IrcPeer next;
    SetWindowTextA(Control(IDC_NICK), "tester");
    SetWindowTextA(Control(IDC_PORT), std::to_string(next.Port()).c_str());
    SendMessageA(Control(IDC_SERVER_LIST), CB_ADDSTRING, 0, (LPARAM)kServer);
    SendMessageA(Control(IDC_SERVER_LIST), CB_SETCURSEL, 0, 0);
    Client().OnLoginButton();
    EXPECT_TRUE(PumpUntil([&] { return next.TryAccept() && next.Received().find("NICK tester\r\n") != std::string::npos; }));
    EXPECT_EQ(1, Client().m_connected);
}

} // namespace
