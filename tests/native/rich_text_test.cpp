// Output runs collected as rich text for the rich-edit control.
#include "output/rich_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Runs final : public RichTextRuns {
public:
    void PlayMessageSound() override {}
};

// The rich text of one run, without the stream's header, the first format
// words and the closing brace.
std::string Escaped(const char* run)
{
    Runs runs;
    runs.InsertRun(run);
    const std::string& stream = runs.ComposeStream(1251);
    const std::string formatWords = "\\cf1\\b0\\ulnone ";
    const size_t start = stream.find(formatWords) + formatWords.size();
    return stream.substr(start, stream.size() - 1 - start);
}

struct EscapeCase {
    const char* description;
    const char* run;
    const char* rtf;
};

std::ostream& operator<<(std::ostream& out, const EscapeCase& row) { return out << row.description; }

class InsertRunTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(InsertRunTest, WritesTheRunAsRichText)
{
    EXPECT_EQ(GetParam().rtf, Escaped(GetParam().run));
}

INSTANTIATE_TEST_SUITE_P(Runs, InsertRunTest, ::testing::Values(
    EscapeCase{ "printable ASCII as it is", "<alice> hi!", "<alice> hi!" },
    EscapeCase{ "RTF's own characters escaped", "a\\b {c}", "a\\\\b \\{c\\}" },
    EscapeCase{ "every kind of line break one paragraph", "a\r\nb\rc\nd\n\re", "a\\par b\\par c\\par d\\par \\par e" },
    EscapeCase{ "CR CR LF a space, as the control takes it", "a\r\r\nb\r\r\r\nc", "a b\\par  c" },
    EscapeCase{ "tab", "a\tb", "a\\tab b" },
    EscapeCase{ "other control bytes as code page escapes", "\x01\x1f\x7f", "\\'01\\'1f\\'7f" },
    EscapeCase{ "Cyrillic", u8"Привет", "\\u1055?\\u1088?\\u1080?\\u1074?\\u1077?\\u1090?" },
    EscapeCase{ "a 3-byte character", u8"✓", "\\u10003?" },
    EscapeCase{ "a unit above 7FFF as a negative number", u8"\uFF01", "\\u-255?" },
    EscapeCase{ "a character past U+FFFF as its surrogate pair", u8"\U0001F600",
                "\\u-10179?\\u-8704?" },
    EscapeCase{ "no-break space", u8"a\u00A0b", "a\\u160?b" },
    EscapeCase{ "a mark at the start of a run on a dotted circle", u8"\u05B8\u05D0\u05B8", "\\u9676?\\u8205?\\u1464?\\u1488?\\u1464?" },
    EscapeCase{ "Windows-1251 bytes one U+FFFD each", "\xcf\xf0", "\\u-3?\\u-3?" },
    EscapeCase{ "a broken sequence one U+FFFD", "\xe2\x82" "A", "\\u-3?A" },
    EscapeCase{ "a sequence cut at the end of the run", "a\xf0\x9f\x98", "a\\u-3?" },
    EscapeCase{ "overlong and surrogate forms", "\xc0\xaf\xed\xa0\x80", "\\u-3?\\u-3?\\u-3?\\u-3?\\u-3?" },
    EscapeCase{ "C1 control", u8"a\u009Bb", "a\\u-3?b" },
    EscapeCase{ "bidi override and isolate", u8"<a\u202Eb> \u2066c", "<a\\u-3?b> \\u-3?c" },
    EscapeCase{ "line and paragraph separators", u8"a\u2028b\u2029c", "a\\u-3?b\\u-3?c" },
    EscapeCase{ "byte-order mark left out", u8"\uFEFFhi", "hi" }));

TEST(RichTextRuns, StreamDeclaresTheCodePageAndColours)
{
    Runs runs;
    runs.SetFormat(TextFormat{ kMaskColour | kMaskBold, kEffectBold, Rgb(255, 0, 0) });
    runs.InsertRun(u8"<Ян> да");
    EXPECT_EQ("{\\rtf1\\ansi\\ansicpg1251{\\colortbl;\\red255\\green0\\blue0;}"
              "\\cf1\\b\\ulnone <\\u1071?\\u1085?> \\u1076?\\u1072?}",
              runs.ComposeStream(1251));
}

} // namespace
