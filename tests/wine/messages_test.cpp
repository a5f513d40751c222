// Messages, notices and CTCP from other users through the real dispatch:
// what each tab shows and in which colour, unread marks, the sound, and the
// exact answers sent.
#include "output/message_sound.h"
#include "support/chat_fixture.h"
#include "support/output_reading.h"

#include <time.h>

#include <string>

namespace {

const char kServerTab[] = "127.0.0.1";
// Sent after each line: its PONG shows that the client has answered everything before it.
const char kSync[] = "PING :sync\r\n";
const char kSyncAnswer[] = "PONG :sync\r\n";

class MessagesTest : public ChannelChatTest {
protected:
    // What the client sends in answer to `line`, up to the sync reply.
    std::string AnswerTo(const std::string& line, size_t expected = 0)
    {
        const size_t mark = peer.Received().size();
        ServerSends(line + "\r\n" + kSync);
        const std::string sent = SentSince(mark, expected + strlen(kSyncAnswer));
        const size_t sync = sent.rfind(kSyncAnswer);
        return sync == std::string::npos ? "(no sync) " + sent : sent.substr(0, sync);
    }

    int Slot(const char* tab)
    {
        for (int i = 0; i < Client().m_tabCount; ++i) {
            if (strcmp(Client().m_tabs[i].szName, tab) == 0)
                return i;
        }
        return -1;
    }

    // The tab's icon: 0 is the unread mark, -1 none. A tab that is gone
    // fails the test: its zeroed item would read as unread.
    int TabImage(const char* tab)
    {
        TCITEMA item = {};
        item.mask = TCIF_IMAGE;
        if (!TabCtrl_GetItem(Client().m_hTabCtrl, Slot(tab), &item)) {
            ADD_FAILURE() << "no tab " << tab;
            return -2;
        }
        return item.iImage;
    }

    void Select(const char* tab)
    {
        Client().HideAllPages();
        TabCtrl_SetCurSel(Client().m_hTabCtrl, Slot(tab));
        Client().OnTabSelChange();
    }

    // "r,g,b", with " bold", of the tab's last line. The control keeps each
    // line break as one character, as OutputText shows it.
    std::string LastStyle(const char* tab)
    {
        const LONG position = (LONG)window.OutputText(tab).rfind('\n') + 1;
        return StyleAt(Client().FindTab(tab), position, CFE_BOLD);
    }
};

// Private talks are told apart as the server tells nicks apart: under
// rfc1459 "nick{a}" and "Nick[a]" are one user, one tab.
TEST_F(MessagesTest, PrivateTalksFollowTheServersCaseMapping)
{
    const struct {
        const char* caseMapping;
        int tabs;
        const char* firstTalk;
    } rows[] = { { "rfc1459", 3, "\n<nick{a}> one\n<Nick[a]> two" }, { "ascii", 4, "\n<nick{a}> one" } };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.caseMapping);
        Client().CloseAllPrivateTabs();
        ServerSends(std::string(":irc.test 005 tester CASEMAPPING=") + row.caseMapping + " :are supported\r\n"
                    ":nick{a}!a@h PRIVMSG tester :one\r\n:Nick[a]!a@h PRIVMSG tester :two\r\n");
        EXPECT_EQ(row.tabs, TabCtrl_GetItemCount(Client().m_hTabCtrl));
        EXPECT_EQ(row.firstTalk, window.OutputText("nick{a}"));
    }
}

TEST_F(MessagesTest, PrivateMessageOpensItsTabAndSoundsOnce)
{
    const int sounds = MessageSoundRequests();
    EXPECT_EQ("", AnswerTo(":Alice!a@example.net PRIVMSG tester :hi there"));
    EXPECT_EQ("\n<Alice> hi there", window.OutputText("Alice"));
    EXPECT_EQ("91,140,79 bold", LastStyle("Alice"));
    EXPECT_EQ(sounds + 1, MessageSoundRequests());
    // The new tab is selected, so it holds nothing unread until the user looks elsewhere.
    EXPECT_EQ(-1, TabImage("Alice"));
    Select("#marketbay");
    ServerSends(":Alice!a@example.net PRIVMSG tester :still there?\r\n");
    EXPECT_EQ(0, TabImage("Alice"));
    EXPECT_EQ(sounds + 2, MessageSoundRequests());
}

TEST_F(MessagesTest, SoundOnlyForTheOwnNick)
{
    const struct {
        const char* description;
        const char* ownNick;
        BYTE soundOn;
        const char* line;
        const char* tab;
        int sounds;
    } rows[] = {
        { "own nick", "tester", 1, ":Bob!b@h PRIVMSG tester :psst", "Bob", 1 },
        // The server's case mapping (ascii until it says) takes it for the own nick.
        { "own nick with capitals", "Tester", 1, ":Bob!b@h PRIVMSG Tester :psst", "Bob", 1 },
        { "sound off", "tester", 0, ":Bob!b@h PRIVMSG tester :psst", "Bob", 0 },
        { "someone else's nick", "tester", 1, ":Bob!b@h PRIVMSG other :psst", "Bob", 0 },
        { "channel", "tester", 1, ":Bob!b@h PRIVMSG #marketbay :psst", "#marketbay", 0 },
        // The line that names the user asks for the sound; the private
        // message does not ask again.
        { "own nick, named in the text", "tester", 1, ":Bob!b@h PRIVMSG tester :psst tester", "Bob", 1 },
        { "channel, named in the text", "tester", 1, ":Bob!b@h PRIVMSG #marketbay :psst tester", "#marketbay", 1 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.description);
        lstrcpynA(Client().m_szNick, row.ownNick, sizeof Client().m_szNick);
        Client().m_soundOn = row.soundOn;
        const int before = MessageSoundRequests();
        ServerSends(std::string(row.line) + "\r\n");
        EXPECT_EQ(row.sounds, MessageSoundRequests() - before);
        // The message's text is what follows the second ':' of the line.
        EXPECT_EQ(std::string("<Bob> ") + (strchr(row.line + 1, ':') + 1), LastLine(row.tab));
    }
}

TEST_F(MessagesTest, ChannelMessagesMarkTheirTabAndFollowTheChannel)
{
    Client().OpenTab("#other");
    ServerSends(":Alice!a@h PRIVMSG #MarketBay :hello all\r\n");
    EXPECT_EQ("<Alice> hello all", LastLine("#marketbay"));
    EXPECT_STREQ("#marketbay", Client().m_szChannel);
    EXPECT_EQ(0, TabImage("#marketbay"));

    ServerSends(":Bob!b@h PRIVMSG #other :hey\r\n");
    EXPECT_EQ("<Bob> hey", LastLine("#other"));
    EXPECT_STREQ("#other", Client().m_szChannel);
    EXPECT_EQ(-1, TabImage("#other"));
}

TEST_F(MessagesTest, ActionSwitchesTheChannelOnlyFromAChannel)
{
    Client().OpenTab("#other");
    ServerSends(":Alice!a@h PRIVMSG #Other :\x01" "ACTION waves\x01\r\n");
    EXPECT_EQ("* Alice waves", LastLine("#other"));
    EXPECT_EQ("156,0,156", LastStyle("#other"));
    EXPECT_STREQ("#other", Client().m_szChannel);

    const int sounds = MessageSoundRequests();
    ServerSends(":Bob!b@h PRIVMSG tester :\x01" "ACTION\x01\r\n");
    EXPECT_EQ("* Bob ", LastLine("Bob"));
    EXPECT_STREQ("#other", Client().m_szChannel);
    EXPECT_EQ(sounds, MessageSoundRequests());
}

TEST_F(MessagesTest, CtcpRequestsAnswerAndShowWithoutMarkOrSound)
{
    const std::string hostile = std::string(2000, 'x');
    const struct {
        const char* description;
        std::string line;
        const char* tab;
        std::string shown;
        std::string answer;
    } rows[] = {
        { "version", ":Alice!a@example.net PRIVMSG tester :\x01VERSION\x01", "Alice",
          "*** ctcp/version request from Alice!a@example.net",
          "NOTICE Alice :\x01VERSION Talvo IRC module\x01\r\n" },
        { "ping keeps its parameter", ":Alice!a@example.net PRIVMSG tester :\x01PING 1234567890\x01", "Alice",
          "*** ctcp/ping request from Alice!a@example.net", "NOTICE Alice :\x01PING 1234567890\x01\r\n" },
        { "ping without parameter", ":Alice!a@h PRIVMSG #marketbay :\x01ping\x01", "#marketbay",
          "*** ctcp/ping request from Alice!a@h", "NOTICE Alice :\x01PING \x01\r\n" },
        { "no closing delimiter", ":Alice!a@h PRIVMSG #marketbay :\x01version", "#marketbay",
          "*** ctcp/version request from Alice!a@h", "NOTICE Alice :\x01VERSION Talvo IRC module\x01\r\n" },
        { "unknown with parameter", ":Alice!a@h PRIVMSG tester :\x01" "FINGER now please\x01", "Alice",
          "*** ctcp/FINGER request from Alice: now please", "" },
        { "unknown without parameter", ":Alice!a@h PRIVMSG tester :\x01TIME\x01", "Alice",
          "*** ctcp/TIME request from Alice", "" },
        { "unknown with empty parameter", ":Alice!a@h PRIVMSG tester :\x01TIME \x01", "Alice",
          "*** ctcp/TIME request from Alice ", "" },
        { "delimiter only", ":Alice!a@h PRIVMSG tester :\x01", "Alice", "*** ctcp/ request from Alice", "" },
        { "two delimiters", ":Alice!a@h PRIVMSG tester :\x01\x01", "Alice", "*** ctcp/ request from Alice", "" },
        { "format directives", ":%s%n!%x@h PRIVMSG #marketbay :\x01PING %s%n\x01", "#marketbay",
          "*** ctcp/ping request from %s%n!%x@h", "NOTICE %s%n :\x01PING %s%n\x01\r\n" },
        { "format directives, unknown word", ":%s%n!%x@h PRIVMSG tester :\x01%n%s %x%d\x01", "%s%n",
          "*** ctcp/%n%s request from %s%n: %x%d", "" },
        { "long parameter, unknown word", ":Alice!a@h PRIVMSG tester :\x01" "FOO " + hostile + "\x01", "Alice",
          "*** ctcp/FOO request from Alice: " + hostile, "" },
        // The answer is cut to one 512-byte line that still closes its CTCP.
        { "long ping parameter", ":Alice!a@h PRIVMSG tester :\x01PING " + hostile + "\x01", "Alice",
          "*** ctcp/ping request from Alice!a@h", "NOTICE Alice :\x01PING " + hostile.substr(0, 489) + "\x01\r\n" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.description);
        Select(kServerTab);
        // Each row starts with the whole budget of answers, and of lines.
        Client().ForgetCtcpAnswers();
        clock.Advance(10000);
        const int sounds = MessageSoundRequests();
        const std::string answer = AnswerTo(row.line, row.answer.size());
        EXPECT_EQ(row.answer, answer);
        EXPECT_LE(answer.size(), 512u);
        EXPECT_EQ(row.shown, LastLine(row.tab));
        EXPECT_EQ("255,0,0", LastStyle(row.tab));
        EXPECT_EQ(-1, TabImage(row.tab));
        EXPECT_EQ(sounds, MessageSoundRequests());
    }
}

// A quoted prefix gives a nick with a blank; an answer to it would name a
// second target (or carry text as one), so there is none.
TEST_F(MessagesTest, ASenderNoAnswerCanAddressAloneGetsNone)
{
    for (const char* line : { ":\"two words\"!u@h PRIVMSG tester :\x01VERSION\x01",
                              ":a,b!u@h PRIVMSG tester :\x01PING 1\x01" }) {
        SCOPED_TRACE(line);
        Client().ForgetCtcpAnswers();
        EXPECT_EQ("", AnswerTo(line));
    }
    EXPECT_EQ("*** ctcp/ping request from a,b!u@h", LastLine("a,b"));
}

TEST_F(MessagesTest, NoticesAndCtcpRepliesGoToTheServerTab)
{
    ServerSends(":Alice!a@h NOTICE tester :hello there\r\n");
    EXPECT_EQ("-Alice- hello there", LastLine(kServerTab));
    EXPECT_EQ("127,0,0", LastStyle(kServerTab));

    ServerSends(":Alice!a@h NOTICE #marketbay :\x01VERSION Some Client 1.0\x01\r\n");
    EXPECT_EQ("[Alice VERSION reply]: Some Client 1.0", LastLine(kServerTab));
    EXPECT_EQ("255,0,0", LastStyle(kServerTab));

    ServerSends(":%n!u@h NOTICE tester :%s%n\r\n");
    EXPECT_EQ("-%n- %s%n", LastLine(kServerTab));
    ServerSends(":%s!u@h NOTICE tester :\x01%n\x01\r\n");
    EXPECT_EQ("[%s %n reply]: ", LastLine(kServerTab));
    EXPECT_EQ(nullptr, Client().FindTab("Alice"));
}

TEST_F(MessagesTest, PingReplyShowsTheRoundTripOfAStampedEntry)
{
    const time_t before = time(NULL);
    Client().m_pingTimes[7] = before - 3;
    ServerSends(":Alice!a@h NOTICE tester :\x01PING 7\x01\r\n");
    const std::string shown = LastLine(kServerTab);
    // The clock may tick between the stamp and the reply's arrival.
    if (time(NULL) == before)
        EXPECT_EQ("[Alice PING reply]: 3 сек", shown);
    else
        EXPECT_TRUE(shown == "[Alice PING reply]: 3 сек" || shown == "[Alice PING reply]: 4 сек") << shown;

    // Unstamped, outside the table, or no number: nothing at all.
    Client().m_pingTimes[511] = before;
    const std::string text = window.OutputText(kServerTab);
    ServerSends(":Alice!a@h NOTICE tester :\x01PING 8\x01\r\n:Alice!a@h NOTICE tester :\x01PING 512\x01\r\n"
                ":Alice!a@h NOTICE tester :\x01PING -1\x01\r\n:Alice!a@h NOTICE tester :\x01PING\x01\r\n"
                ":Alice!a@h NOTICE tester :\x01PING abc\x01\r\n");
    EXPECT_EQ(text, window.OutputText(kServerTab));

    ServerSends(":Alice!a@h NOTICE tester :\x01ping 511\x01\r\n");
    EXPECT_EQ("[Alice PING reply]: ", LastLine(kServerTab).substr(0, 20));
}

TEST_F(MessagesTest, LowerCaseCommandsAndChannelwarden)
{
    // Dispatched by name but routed by the last rows of the tab choice: the server tab.
    const int sounds = MessageSoundRequests();
    const std::string version = "NOTICE Bob :\x01VERSION Talvo IRC module\x01\r\n";
    EXPECT_EQ(version, AnswerTo(":Bob!b@h privmsg tester :\x01VERSION\x01", version.size()));
    EXPECT_EQ("", AnswerTo(":Bob!b@h privmsg tester :hi"));
    EXPECT_EQ("<Bob> hi", LastLine(kServerTab));
    EXPECT_EQ(nullptr, Client().FindTab("Bob"));
    EXPECT_EQ(sounds + 1, MessageSoundRequests());
    ServerSends(":Bob!b@h notice tester :later\r\n");
    EXPECT_EQ("-Bob- later", LastLine(kServerTab));

    const std::string text = window.OutputText(kServerTab);
    EXPECT_EQ("", AnswerTo(":channelwarden!w@h PRIVMSG tester :\x01VERSION\x01\r\n"
                           ":channelwarden!w@h PRIVMSG tester :hi\r\n:channelwarden!w@h NOTICE tester :x"));
    EXPECT_EQ(text, window.OutputText(kServerTab));
    EXPECT_EQ(nullptr, Client().FindTab("channelwarden"));
    EXPECT_EQ(sounds + 1, MessageSoundRequests());
}

} // namespace
