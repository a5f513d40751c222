// The token splitter and text helpers of the line parser.
#include "protocol/tokens.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SplitCase {
    const char* description;
    std::string line;
    int count;
    const char* token1;
    const char* token2;
    const char* token3;
    const char* rest;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& row) { return out << row.description; }

class SplitTokensTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTokensTest, SplitsIntoThreeTokensAndRest)
{
    const SplitCase& row = GetParam();
    char token1[1024] = "x", token2[1024] = "x", token3[1024] = "x", rest[4096] = "x";
    char* const tokens[3] = { token1, token2, token3 };
    EXPECT_EQ(row.count, SplitTokens(row.line.c_str(), tokens, sizeof token1, 3, rest, sizeof rest));
    EXPECT_STREQ(row.token1, token1);
    EXPECT_STREQ(row.token2, token2);
    EXPECT_STREQ(row.token3, token3);
    EXPECT_STREQ(row.rest, rest);
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitTokensTest, ::testing::Values(
    SplitCase{ "apostrophe beyond the third token opens no quote",
               ":nick!u@h PRIVMSG #chan :it's a test", 3, ":nick!u@h", "PRIVMSG", "#chan", ":it's a test" },
    SplitCase{ "quoted first token keeps its space",
               "'two words' B C D", 3, "two words", "B", "C", "D" },
    SplitCase{ "two double quotes make an empty token",
               "\"\" B C rest", 3, "", "B", "C", "rest" },
    SplitCase{ "other quote inside a quote is kept",
               "\"it's\" B C", 3, "it's", "B", "C", "" },
    SplitCase{ "open quote takes the rest of the line",
               "A 'B C D", 2, "A", "B C D", "", "" },
    SplitCase{ "ping with one parameter leaves the rest empty",
               "PING :irc.example.net", 2, "PING", ":irc.example.net", "", "" },
    SplitCase{ "spaces only give no token",
               "     ", 0, "", "", "", "" },
    SplitCase{ "tabs separate and whitespace before the rest is skipped",
               "A\tB \t C \t\v rest  text ", 3, "A", "B", "C", "rest  text " },
    SplitCase{ "prefix only",
               ":irc.example.net", 1, ":irc.example.net", "", "", "" },
    SplitCase{ "cp1251 bytes are not whitespace",
               "A \xa0\xe0 C \xa0rest", 3, "A", "\xa0\xe0", "C", "\xa0rest" },
    SplitCase{ "a closing quote is a token end even before the rest",
               "A B 'C'rest", 3, "A", "B", "C", "rest" }));

TEST(SplitTokens, CutsLongTokensAndLongLines)
{
    const std::string longWord(3000, 'w');
    char token1[1024], token2[1024], token3[1024], rest[4096];
    char* const tokens[3] = { token1, token2, token3 };

    EXPECT_EQ(1, SplitTokens(longWord.c_str(), tokens, sizeof token1, 3, rest, sizeof rest));
    EXPECT_EQ(std::string(1023, 'w'), token1);

    // The line itself is taken as at most 2047 bytes.
    const std::string line = "A B C " + std::string(5000, 'r');
    EXPECT_EQ(3, SplitTokens(line.c_str(), tokens, sizeof token1, 3, rest, sizeof rest));
    EXPECT_EQ(std::string(2047 - 6, 'r'), rest);
}

TEST(SplitTokens, WithoutRestBuffer)
{
    char token1[16], token2[16];
    char* const tokens[2] = { token1, token2 };
    EXPECT_EQ(2, SplitTokens("one two three", tokens, sizeof token1, 2, nullptr, 0));
    EXPECT_STREQ("one", token1);
    EXPECT_STREQ("two", token2);
}

TEST(TextHelpers, CaseFoldingTouchesAsciiOnly)
{
    EXPECT_TRUE(EqualsIgnoringAsciiCase("PrivMsg", "PRIVMSG"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("PRIVMSG", "PRIVMS"));
    // Cyrillic capital A (0xC0) and small a (0xE0) are different letters here.
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xc0", "\xe0"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));

    char text[] = "#MarketBay\xc0\xc1";
    LowerAsciiInPlace(text);
    EXPECT_STREQ("#marketbay\xc0\xc1", text);
}

TEST(TextHelpers, CommandNumbers)
{
    EXPECT_EQ(353, ReadCommandNumber("353"));
    EXPECT_EQ(0, ReadCommandNumber("000"));
    EXPECT_EQ(0, ReadCommandNumber("PRIVMSG"));
    EXPECT_EQ(12, ReadCommandNumber("  +12abc"));
    EXPECT_EQ(-7, ReadCommandNumber("-7"));
    EXPECT_EQ(0, ReadCommandNumber(""));
    EXPECT_EQ(2147483647, ReadCommandNumber("99999999999999999999999"));
    EXPECT_EQ(-2147483647 - 1, ReadCommandNumber("-99999999999999999999999"));
}

TEST(TextHelpers, CopyTextCutsAndTerminates)
{
    char small[4] = { 'x', 'x', 'x', 'x' };
    CopyText(small, sizeof small, "abcdef");
    EXPECT_STREQ("abc", small);
    CopyText(small, sizeof small, "");
    EXPECT_STREQ("", small);
}

} // namespace
