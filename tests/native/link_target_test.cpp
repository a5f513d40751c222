// Which clicked links open in the browser: web addresses only, as given.
#include "output/link_target.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

struct LinkCase {
    const char* description;
    const char* link;
    const char* opened;  // NULL: not opened
};

std::ostream& operator<<(std::ostream& out, const LinkCase& row) { return out << row.description; }

class ChooseLinkTargetTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ChooseLinkTargetTest, OpensWebAddressesOnly)
{
    char target[64] = "untouched";
    const bool chosen = ChooseLinkTarget(GetParam().link, strlen(GetParam().link), target, sizeof target);
    EXPECT_EQ(GetParam().opened != NULL, chosen);
    if (GetParam().opened)
        EXPECT_STREQ(GetParam().opened, target);
}

INSTANTIATE_TEST_SUITE_P(Links, ChooseLinkTargetTest, ::testing::Values(
    LinkCase{ "http as it is", "http://example.com/a?b=1&c=2#d", "http://example.com/a?b=1&c=2#d" },
    LinkCase{ "https in any case", "HTTPS://Example.com/x", "HTTPS://Example.com/x" },
    LinkCase{ "www gets http in front", "WWW.example.org/\xEF\xF3\xF2\xFC", "http://WWW.example.org/\xEF\xF3\xF2\xFC" },
    LinkCase{ "a scheme with nothing after it", "https://", NULL },
    LinkCase{ "file", "file:///C:/Windows/system32/calc.exe", NULL },
    LinkCase{ "javascript", "javascript:alert(1)", NULL },
    LinkCase{ "a drive path", "C:\\Windows\\notepad.exe", NULL },
    LinkCase{ "a share", "\\\\host\\share\\x.exe", NULL },
    LinkCase{ "a scheme not at the start", " http://example.com", NULL },
    LinkCase{ "a control character", "http://example.com/\x01x", NULL },
    LinkCase{ "a quote", "http://example.com/\" --x", NULL },
    LinkCase{ "a space", "http://example.com/ -x", NULL },
    LinkCase{ "longer than the target holds", "http://example.com/0123456789012345678901234567890123456789012345",
              NULL }));

} // namespace
