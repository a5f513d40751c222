// Received lines through the real dispatch: the server's own lines, the
// choice of the output tab, and lines that must change nothing.
#include "client/control_ids.h"
#include "support/chat_fixture.h"

#include <string>

namespace {

class ProcessLineTest : public ChannelChatTest {
protected:
    std::string ServerTab() { return window.OutputText("127.0.0.1"); }
};

TEST_F(ProcessLineTest, ServerLinesWithoutPrefix)
{
    ServerSends("NOTICE AUTH :*** Looking up your hostname...\r\n");
    EXPECT_EQ("-127.0.0.1- *** Looking up your hostname...", LastLine("127.0.0.1"));

    ServerSends("WALLOPS :system going down\r\n");
    EXPECT_EQ("[command:WALLOPS] system going down", LastLine("127.0.0.1"));

    // Spaces only: no tokens, an empty command.
    ServerSends("   \r\n");
    EXPECT_EQ("[command:]   ", LastLine("127.0.0.1"));
}

TEST_F(ProcessLineTest, UnknownPrefixedLinesWriteTheDebugLine)
{
    ServerSends(":irc.example.net FOO Target :some text\r\n");
    EXPECT_EQ("[debug:FOO] <target> some text", LastLine("127.0.0.1"));

    ServerSends(":irc.example.net 000 tester :zero\r\n");
    EXPECT_EQ("[debug:000] <tester> zero", LastLine("127.0.0.1"));

    ServerSends(":irc.example.net\r\n");
    EXPECT_EQ("[debug:] <> ", LastLine("127.0.0.1"));
}

TEST_F(ProcessLineTest, FormatDirectivesFromTheServerAreShownAsText)
{
    ServerSends("%s%n%x :%s%n\r\n");
    EXPECT_EQ("[command:%s%n%x] %s%n", LastLine("127.0.0.1"));
}

TEST_F(ProcessLineTest, PrivateMessageFromNewSenderOpensItsTab)
{
    ServerSends(":Alice!a@example.net PRIVMSG tester :hi\r\n");
    EXPECT_NE(nullptr, Client().FindTab("Alice"));
    EXPECT_EQ(3, Client().m_tabCount);

    // A second message finds the tab instead of opening another one.
    ServerSends(":Alice!a@example.net PRIVMSG tester :again\r\n");
    EXPECT_EQ(3, Client().m_tabCount);

    // A command in lower case is dispatched but chooses its tab by the last rows.
    ServerSends(":Bob!b@example.net privmsg tester :hi\r\n");
    EXPECT_EQ(nullptr, Client().FindTab("Bob"));
}

TEST_F(ProcessLineTest, SendersBeyondTheTabTableAreLost)
{
    // Server and channel tabs hold two of the 100 slots.
    std::string lines;
    for (int i = 0; i < 99; ++i)
        lines += ":user" + std::to_string(i) + "!u@h PRIVMSG tester :hello\r\n";
    ServerSends(lines);
    ASSERT_EQ(100, Client().m_tabCount);
    EXPECT_EQ(nullptr, Client().FindTab("user98"));

    ServerSends(":user0!u@h PRIVMSG tester :still here\r\nPING :alive\r\n");
    EXPECT_EQ(100, Client().m_tabCount);
    EXPECT_EQ(100, TabCtrl_GetItemCount(Client().m_hTabCtrl));
    EXPECT_NE(std::string::npos, peer.Received().find("PONG :alive\r\n"));
}

TEST_F(ProcessLineTest, ChannelwardenIsIgnored)
{
    const std::string before = ServerTab();
    ServerSends(":channelwarden!w@h FOO x :y\r\n:channelwarden!w@h PRIVMSG tester :z\r\n");
    EXPECT_EQ(before, ServerTab());
    EXPECT_EQ(nullptr, Client().FindTab("channelwarden"));

    ServerSends(":ChannelWarden!w@h FOO x :y\r\n");
    EXPECT_EQ("[debug:FOO] <x> y", LastLine("127.0.0.1"));
}

TEST_F(ProcessLineTest, ErrorLineReturnsToTheLoginPanelKeepingTheServerTab)
{
    Client().OpenTab("friend");
    SendMessageA(GetDlgItem(window.Dialog(), IDC_USER_LIST), LB_ADDSTRING, 0, (LPARAM) "friend");
    ServerSends("ERROR :Closing link: (tester@127.0.0.1) [Quit: bye]\r\n");

    EXPECT_EQ("*** (tester@127.0.0.1) [Quit: bye]", LastLine("127.0.0.1"));
    EXPECT_EQ(1, Client().m_tabCount);
    EXPECT_EQ(nullptr, Client().FindTab("friend"));
    EXPECT_EQ(0, SendMessageA(GetDlgItem(window.Dialog(), IDC_USER_LIST), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_EQ(1, Client().m_showTabsPending);
}

TEST_F(ProcessLineTest, LinesWithoutTextAreIgnored)
{
    const std::string before = ServerTab();
    ServerSends("\r\n\n\r");
    ServerSends("\n");
    EXPECT_EQ(before, ServerTab());
}

} // namespace
