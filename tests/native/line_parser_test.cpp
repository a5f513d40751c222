// Cutting a received line into its pieces and choosing its output tab.
#include "protocol/line_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseLine, PrefixedLine)
{
    ParsedLine line;
    ASSERT_TRUE(ParseLine(":Nick!user@host PRIVMSG #MarketBay :it's a test", line));
    EXPECT_TRUE(line.hasPrefix);
    EXPECT_STREQ("PRIVMSG", line.command);
    EXPECT_STREQ("Nick", line.sender);
    EXPECT_STREQ("#marketbay", line.target);
    EXPECT_STREQ("#marketbay", line.token3);
    EXPECT_STREQ(":it's a test", line.args);
    EXPECT_STREQ("it's a test", line.rest);
}

TEST(ParseLine, ServerPrefixAndColonTarget)
{
    ParsedLine line;
    ASSERT_TRUE(ParseLine(":a!b@c JOIN :#Chan", line));
    EXPECT_STREQ(":#chan", line.token3);
    EXPECT_STREQ("#chan", line.target);
    EXPECT_STREQ("", line.rest);

    ASSERT_TRUE(ParseLine(":irc.example.net 001 tester :Welcome", line));
    EXPECT_STREQ("irc.example.net", line.sender);
    EXPECT_STREQ("Welcome", line.rest);
}

TEST(ParseLine, SenderIsCutTo95Characters)
{
    ParsedLine line;
    ASSERT_TRUE(ParseLine((":" + std::string(200, 'n') + "!u@h PRIVMSG x :y").c_str(), line));
    EXPECT_EQ(std::string(95, 'n'), line.sender);
}

TEST(ParseLine, LinesWithoutPrefix)
{
    ParsedLine line;
    ASSERT_TRUE(ParseLine("PING :irc.example.net", line));
    EXPECT_FALSE(line.hasPrefix);
    EXPECT_STREQ("PING", line.command);
    EXPECT_STREQ("irc.example.net", line.params);
    EXPECT_STREQ("", line.args);

    ASSERT_TRUE(ParseLine("PING token", line));
    EXPECT_STREQ("token", line.params);

    ASSERT_TRUE(ParseLine("NOTICE AUTH :*** Looking up your hostname", line));
    EXPECT_STREQ("NOTICE", line.command);
    EXPECT_STREQ("Looking up your hostname", line.args);

    ASSERT_TRUE(ParseLine("ERROR :Closing link: (x@y) [Quit]", line));
    EXPECT_STREQ("(x@y) [Quit]", line.args);

    ASSERT_TRUE(ParseLine("   ", line));
    EXPECT_FALSE(line.hasPrefix);
    EXPECT_STREQ("", line.command);
    EXPECT_STREQ("  ", line.params);
}

TEST(ParseLine, IgnoredLines)
{
    ParsedLine line;
    EXPECT_FALSE(ParseLine("", line));
    EXPECT_FALSE(ParseLine("\n:a!b@c PRIVMSG #x :y", line));
}

TEST(ParseLine, PrefixOnlyAndTwoTokens)
{
    ParsedLine line;
    ASSERT_TRUE(ParseLine(":irc.example.net", line));
    EXPECT_TRUE(line.hasPrefix);
    EXPECT_STREQ("", line.command);
    EXPECT_STREQ("", line.target);
    EXPECT_STREQ("", line.rest);

    ASSERT_TRUE(ParseLine(":irc.example.net FOO", line));
    EXPECT_STREQ("FOO", line.command);
    EXPECT_STREQ("", line.target);
    EXPECT_STREQ("", line.rest);
}

TEST(ParseLine, IgnoredSenderIsCaseSensitive)
{
    EXPECT_TRUE(IsIgnoredSender("channelwarden"));
    EXPECT_FALSE(IsIgnoredSender("ChannelWarden"));
}

struct TaggedCase {
    const char* description;
    const char* tagged;
    const char* untagged;  // null: the tagged line is ignored
};

std::ostream& operator<<(std::ostream& out, const TaggedCase& row) { return out << row.description; }

// Every piece of a parsed line, to compare two lines at once.
std::string Pieces(const ParsedLine& line)
{
    return std::string(line.hasPrefix ? "prefix|" : "|") + line.token1 + "|" + line.token2 + "|" + line.token3 +
           "|" + line.args + "|" + line.command + "|" + line.params + "|" + line.sender + "|" + line.target + "|" +
           line.rest;
}

class TaggedLineTest : public ::testing::TestWithParam<TaggedCase> {};

TEST_P(TaggedLineTest, ParsesAsTheLineWithoutTags)
{
    const TaggedCase& row = GetParam();
    ParsedLine tagged, untagged;
    ASSERT_EQ(row.untagged != nullptr, ParseLine(row.tagged, tagged));
    if (!row.untagged)
        return;
    ASSERT_TRUE(ParseLine(row.untagged, untagged));
    EXPECT_EQ(Pieces(untagged), Pieces(tagged));
}

INSTANTIATE_TEST_SUITE_P(Rows, TaggedLineTest, ::testing::Values(
    TaggedCase{ "tags and escapes before a prefix", "@t=2026-12-09T06:00:00Z;+re=a\\sb\\:c;k=;j :N!u@h PRIVMSG #Mb :a",
                ":N!u@h PRIVMSG #Mb :a" },
    TaggedCase{ "tags on a line without prefix", "@a=b PING :x", "PING :x" },
    TaggedCase{ "an empty tag section", "@ ERROR :Closing link", "ERROR :Closing link" },
    TaggedCase{ "one space ends the section, the next belongs to the line", "@a  PING x", " PING x" },
    TaggedCase{ "nothing but tags", "@a=b;c", nullptr },
    TaggedCase{ "tags and their space alone", "@a=b ", nullptr },
    TaggedCase{ "tags cut by a line feed", "@a=b\n:e!v@l PRIVMSG tester :y", nullptr }));

struct TabCase {
    const char* description;
    const char* line;
    bool serverTabExists;
    OutputTab expected;
};

std::ostream& operator<<(std::ostream& out, const TabCase& row) { return out << row.description; }

class ChooseOutputTabTest : public ::testing::TestWithParam<TabCase> {};

TEST_P(ChooseOutputTabTest, FirstMatchingRowWins)
{
    const TabCase& row = GetParam();
    ParsedLine line;
    ASSERT_TRUE(ParseLine(row.line, line));
    EXPECT_EQ(row.expected, ChooseOutputTab(line, "tester", row.serverTabExists));
}

INSTANTIATE_TEST_SUITE_P(Rows, ChooseOutputTabTest, ::testing::Values(
    TabCase{ "notice goes to the server tab", ":NickServ!s@h NOTICE tester :hi", true, OutputTab::Server },
    TabCase{ "kick goes to the channel", ":op!u@h KICK #marketbay tester :bye", true, OutputTab::Channel },
    TabCase{ "quit goes to the channel", ":a!u@h QUIT :gone", true, OutputTab::Channel },
    TabCase{ "private message goes to the sender", ":a!u@h PRIVMSG tester :hi", true, OutputTab::Sender },
    TabCase{ "channel message goes to the channel named", ":a!u@h PRIVMSG #Other :hi", true, OutputTab::Target },
    TabCase{ "join goes to the channel", ":a!u@h JOIN :#marketbay", true, OutputTab::Channel },
    TabCase{ "topic time goes to the channel", ":srv 333 tester #marketbay a 1", true, OutputTab::Channel },
    TabCase{ "reply to the own nick goes to the server tab", ":srv 001 tester :Welcome", false, OutputTab::Server },
    TabCase{ "other lines go to the server tab", ":srv 005 someone :x", true, OutputTab::Server },
    TabCase{ "without a server tab a tab is opened", ":srv 005 someone :x", false, OutputTab::TargetOpened },
    TabCase{ "lower-case command falls to the last rows", ":a!u@h privmsg tester :hi", true, OutputTab::Server }));

} // namespace
