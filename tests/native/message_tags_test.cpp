// Reading one tag's value out of a received line's tag section.
#include "protocol/message_tags.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TagCase {
    const char* description;
    const char* line;
    const char* name;
    bool found;
    const char* value;
};

std::ostream& operator<<(std::ostream& out, const TagCase& row) { return out << row.description; }

const std::string kLongTag = "@k=" + std::string(100, 'v') + " PING";
const std::string kLongTagCut(63, 'v');

class FindMessageTagTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(FindMessageTagTest, ValueIsUnescaped)
{
    const TagCase& row = GetParam();
    char value[64] = "stale";
    EXPECT_EQ(row.found, FindMessageTag(row.line, row.name, value, sizeof value));
    EXPECT_STREQ(row.value, value);
}

INSTANTIATE_TEST_SUITE_P(Rows, FindMessageTagTest, ::testing::Values(
    TagCase{ "plain value", "@time=2026-12-09T06:00:00.000Z :a!b@c PRIVMSG #x :y", "time", true,
             "2026-12-09T06:00:00.000Z" },
    TagCase{ "semicolon, space, backslash", "@k=a\\:b\\sc\\\\d PING :x", "k", true, "a;b c\\d" },
    TagCase{ "CR and LF", "@k=1\\r\\n2 PING :x", "k", true, "1\r\n2" },
    TagCase{ "other escaped characters stand for themselves", "@k=\\a\\b\\0 PING", "k", true, "ab0" },
    TagCase{ "a lone backslash at the end goes", "@k=ab\\;j=1 PING", "k", true, "ab" },
    TagCase{ "a lone backslash ending the section", "@j=1;k=ab\\ PING", "k", true, "ab" },
    TagCase{ "no value", "@account;k=v PING", "account", true, "" },
    TagCase{ "empty value", "@account=;k=v PING", "account", true, "" },
    TagCase{ "vendor and client tags by their whole name", "@+example.com/typing=active PING", "+example.com/typing",
             true, "active" },
    TagCase{ "a name is not a prefix of a longer one", "@timex=1;tim=2 PING", "time", false, "" },
    TagCase{ "the last of a repeated tag counts", "@k=1;k=2;k PING", "k", true, "" },
    TagCase{ "the section ends at the first space", "@a=1 :x!y@z PRIVMSG #c :@k=2;k=3", "k", false, "" },
    TagCase{ "nothing but tags", "@a=1;k=2", "k", true, "2" },
    TagCase{ "a line without tags", ":x!y@z PRIVMSG #c :k=2", "k", false, "" },
    TagCase{ "a value cut to the buffer", kLongTag.c_str(), "k", true, kLongTagCut.c_str() }));

TEST(UnescapeTagValue, CutToTheBufferAndNeverLonger)
{
    const std::string raw = "a\\sb\\:c\\\\d\\";
    char value[32];
    EXPECT_EQ(7u, UnescapeTagValue(raw.data(), raw.size(), value, sizeof value));
    EXPECT_STREQ("a b;c\\d", value);
    // A cut keeps the start of the value; an escape is never split.
    for (size_t size = 1; size <= 8; ++size) {
        char cut[8];
        EXPECT_EQ(size - 1, UnescapeTagValue(raw.data(), raw.size(), cut, size)) << size;
        EXPECT_EQ(std::string(value, size - 1), cut) << size;
    }
}

TEST(SkipTagSection, RestAfterTheFirstSpace)
{
    const char* tagged = "@a=1;b  PING :x";
    EXPECT_STREQ(" PING :x", SkipTagSection(tagged));
    const char* untagged = " @a PING";
    EXPECT_EQ(untagged, SkipTagSection(untagged));
    EXPECT_STREQ("", SkipTagSection("@a=1;b"));
}

} // namespace
