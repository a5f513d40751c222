// The user-list operations on the real list box, apart from any NAMES reply.
#include "client/control_ids.h"
#include "support/chat_fixture.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Entries;

class UserListTest : public ::testing::Test {
protected:
    CIrcClient& Client() { return window.Client(); }
    Entries Listed() const { return window.UserListEntries(); }

    TestChatWindow window;
};

TEST_F(UserListTest, NamesKeepTheirMarksInTheBoxOrder)
{
    Client().AddUserNames("plain Zed +voice @op");
    EXPECT_EQ(Entries({ "@op", "+voice", "plain", "Zed" }), Listed());

    Client().ClearUserList();
    Client().AddUserNames("alice  bob ");
    EXPECT_EQ(Entries({ "", "alice", "bob" }), Listed());

    Client().ClearUserList();
    Client().AddUserNames((std::string(1500, 'n') + " x").c_str());
    EXPECT_EQ(Entries({ std::string(1023, 'n'), "x" }), Listed());
}

TEST_F(UserListTest, AddUserCutsAtASpaceUnlessItAppliesTheOperatorMark)
{
    Client().AddUser("carol extra words");
    Client().m_nickPrefix = '@';
    Client().AddUser("dave x");
    EXPECT_EQ(Entries({ "@dave x", "carol" }), Listed());
    EXPECT_EQ(' ', Client().m_nickPrefix);
}

struct RemovalCase {
    const char* description;
    const char* nick;
    char recorded;
    Entries after;  // after the removal and an AddUser("zoe")
};

std::ostream& operator<<(std::ostream& out, const RemovalCase& row) { return out << row.description; }

class UserRemovalTest : public UserListTest, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(UserRemovalTest, RecordsTheFormFoundAndTheNextAddUserAppliesAnOperatorMark)
{
    Client().AddUserNames("@bob +voice alice");
    Client().RemoveUser(GetParam().nick);
    EXPECT_EQ(GetParam().recorded, Client().m_nickPrefix);
    Client().AddUser("zoe");
    EXPECT_EQ(GetParam().after, Listed());
}

INSTANTIATE_TEST_SUITE_P(List, UserRemovalTest, ::testing::Values(
    RemovalCase{ "plain", "alice", ' ', { "@bob", "+voice", "zoe" } },
    RemovalCase{ "plain, cut at a space", "alice and more", ' ', { "@bob", "+voice", "zoe" } },
    RemovalCase{ "operator written with capitals", "BOB", '@', { "@zoe", "+voice", "alice" } },
    RemovalCase{ "voiced", "voice", '+', { "@bob", "alice", "zoe" } },
    RemovalCase{ "absent", "nobody", '+', { "@bob", "+voice", "alice", "zoe" } }));

// Departures find their entry however the box orders nicks with marks,
// punctuation, capitals and Cyrillic, in a list long enough to search. The
// box orders by its own locale (the user's), whose code page need not be the
// system's that its texts came in: a Russian system under an English or a
// German user locale. The locale is set on the box itself here, which is
// what such a user locale gives it; 0 keeps the box's own.
class DepartureTest : public UserListTest, public ::testing::WithParamInterface<LCID> {};

TEST_P(DepartureTest, EveryDepartureFindsItsEntry)
{
    HWND list = GetDlgItem(window.Dialog(), IDC_USER_LIST);
    if (GetParam() != 0) {
        ASSERT_NE(LB_ERR, SendMessageA(list, LB_SETLOCALE, GetParam(), 0));
    }
    const std::vector<std::string> nicks = { "a-b", "ab", "a'b", "[bot]", "_u", "^^", "Zed", "zed2", "Иван",
                                             "иван_", "x|y", "{c}", "`q", "A-B-C", "0day", "9" };
    std::string names;
    for (size_t i = 0; i < nicks.size(); ++i)
        names += (i % 3 == 0 ? "@" : i % 3 == 1 ? "+" : "") + nicks[i] + " ";
    for (int i = 0; i < 300; ++i)
        names += "filler" + std::to_string(i) + " ";
    Client().AddUserNames(names.c_str());
    for (const std::string& nick : nicks) {
        Client().RemoveUser(nick.c_str());
        for (const std::string& entry : Listed())
            EXPECT_NE(nick, entry.substr(entry[0] == '@' || entry[0] == '+' ? 1 : 0)) << "left behind: " << entry;
    }
    EXPECT_EQ(300u, Listed().size());
}

INSTANTIATE_TEST_SUITE_P(Locales, DepartureTest,
                         ::testing::Values(0, MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT),
                                           MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)));

TEST_F(UserListTest, NotInUserListComparesExactly)
{
    Client().AddUserNames("@bob alice");
    EXPECT_FALSE(Client().NotInUserList("@bob"));
    EXPECT_TRUE(Client().NotInUserList("@Bob"));
    EXPECT_TRUE(Client().NotInUserList("bob"));
    EXPECT_TRUE(Client().NotInUserList(std::string(2000, 'a').c_str()));
}

TEST(UserListFont, OneBoldTahomaForTheWindowReleasedWithIt)
{
    HFONT font = NULL;
    {
        TestChatWindow window;
        HWND list = GetDlgItem(window.Dialog(), IDC_USER_LIST);
        window.Client().AddUser("alice");
        font = (HFONT)SendMessageA(list, WM_GETFONT, 0, 0);
        window.Client().AddUserNames("bob");
        EXPECT_EQ(font, (HFONT)SendMessageA(list, WM_GETFONT, 0, 0));

        LOGFONTA logFont = {};
        ASSERT_EQ((int)sizeof logFont, GetObjectA(font, sizeof logFont, &logFont));
        EXPECT_EQ(13, logFont.lfHeight);
        EXPECT_EQ(0, logFont.lfWidth);
        EXPECT_EQ(FW_BOLD, logFont.lfWeight);
        EXPECT_EQ(DEFAULT_CHARSET, logFont.lfCharSet);
        EXPECT_EQ(OUT_RASTER_PRECIS, logFont.lfOutPrecision);
        EXPECT_EQ(FIXED_PITCH | FF_MODERN, logFont.lfPitchAndFamily);
        EXPECT_STREQ("Tahoma", logFont.lfFaceName);
    }
    EXPECT_EQ(0u, GetObjectType(font));
}

// ngircd announces five statuses. The list shows each member's highest
// one, ranks first, then nicks whatever their capitals; a double click opens
// a talk with the nick alone.
class ServerStatusTest : public ChannelChatTest {};

TEST_F(ServerStatusTest, RankedByTheServersPrefixAndOpenedByNick)
{
    ServerSends(":irc.test 005 tester PREFIX=(qaohv)~&@%+ CHANMODES=beI,k,l,imnt :are supported\r\n"
                ":irc.test 353 tester = #marketbay :bob +carl ~anna %dave &Eve @+fred Zed\r\n"
                ":irc.test 366 tester #marketbay :End of NAMES list\r\n");
    EXPECT_EQ(Entries({ "~anna", "&Eve", "@fred", "%dave", "+carl", "bob", "Zed" }), window.UserListEntries());

    ServerSends(":op!o@h MODE #marketbay -o+hl fred bob 10\r\n");
    EXPECT_EQ(Entries({ "~anna", "&Eve", "%bob", "%dave", "+carl", "+fred", "Zed" }), window.UserListEntries());

    SendMessageA(GetDlgItem(window.Dialog(), IDC_USER_LIST), LB_SETCURSEL, 0, 0);
    Client().OnUserListSelChange();
    Client().OnUserListDblClk();
    EXPECT_STREQ("anna", Client().GetCurrentTabName());
}

} // namespace
