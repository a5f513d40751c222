// Reading one tag's value out of a received line's tag section.
#include "protocol/message_tags.h"

#include <gtest/gtest.h>

namespace {

struct TagCase {
    const char* description;
    const char* line;
    const char* name;
    bool found;
    const char* value;
};

std::ostream& operator<<(std::ostream& out, const TagCase& row) { return out << row.description; }

class FindMessageTagTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(FindMessageTagTest, ValueIsUnescaped)
{
    const TagCase& row = GetParam();
    char value[8] = "stale";
    EXPECT_EQ(row.found, FindMessageTag(row.line, row.name, value, sizeof value));
    EXPECT_STREQ(row.value, value);
}

INSTANTIATE_TEST_SUITE_P(Rows, FindMessageTagTest, ::testing::Values(
    TagCase{ "semicolon, space, backslash", "@j;k=a\\:b\\sc\\\\d PING", "k", true, "a;b c\\d" },
    TagCase{ "CR, LF and any other escaped character", "@k=\\r\\n\\a\\0 PING", "k", true, "\r\na0" },
    TagCase{ "a lone backslash at the end goes", "@k=ab\\;j=1 PING", "k", true, "ab" },
    TagCase{ "no value", "@+vendor.example/k;j=1 PING", "+vendor.example/k", true, "" },
    TagCase{ "empty value", "@k=;j=1 PING", "k", true, "" },
    TagCase{ "the last of a repeated tag counts", "@k=1;k=2 PING", "k", true, "2" },
    TagCase{ "a name is whole", "@kk=1;k2=2 PING", "k", false, "" },
    TagCase{ "the section ends at the first space", "@j=1 :a!b@c PRIVMSG #c :@k=2", "k", false, "" },
    TagCase{ "a line without tags", "k=2 PING", "k", false, "" },
    TagCase{ "a value cut to the buffer, escapes whole", "@k=abcde\\s\\sxyz", "k", true, "abcde  " }));

} // namespace
