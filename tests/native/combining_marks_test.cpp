// Combining marks as the output shows them: each on a base of its own
// script, or on a dotted circle and a joiner, and no more than a few on one
// base.
#include "output/combining_marks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct MarkCase {
    const char* description;
    const char* text;
    const char* shown;
};

std::ostream& operator<<(std::ostream& out, const MarkCase& row) { return out << row.description; }

class GuardCombiningMarksTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(GuardCombiningMarksTest, PutsABaseUnderEveryMark)
{
    const std::string text = GetParam().text;
    EXPECT_EQ(GetParam().shown, GuardCombiningMarks(text.data(), text.size()));
}

INSTANTIATE_TEST_SUITE_P(Marks, GuardCombiningMarksTest, ::testing::Values(
    MarkCase{ "a lone Arabic mark", u8"\u064E", u8"\u25CC\u200D\u064E" },
    MarkCase{ "a lone Hebrew mark", u8"\u05B8", u8"\u25CC\u200D\u05B8" },
    MarkCase{ "a mark on a letter of its own script kept", u8"\u05D0\u05B8 \u0628\u064E", u8"\u05D0\u05B8 \u0628\u064E" },
    MarkCase{ "an Arabic mark on the tatweel kept", u8"\u0640\u064E", u8"\u0640\u064E" },
    MarkCase{ "a mark on a letter of another script", u8"n\u05B8 \u05D0\u064E", u8"n\u25CC\u200D\u05B8 \u05D0\u25CC\u200D\u064E" },
    MarkCase{ "a mark after a blank or a line break", u8"a \u05B8\n\u05B8\u00A0\u05B8",
              u8"a \u25CC\u200D\u05B8\n\u25CC\u200D\u05B8\u00A0\u25CC\u200D\u05B8" },
    MarkCase{ "a mark after a control character", u8"\u05D0\x01\u05B8", u8"\u05D0\x01\u25CC\u200D\u05B8" },
    MarkCase{ "a mark after a digit or a symbol", u8"1\u05B8\u2713\u064E", u8"1\u25CC\u200D\u05B8\u2713\u25CC\u200D\u064E" },
    MarkCase{ "neutral marks on a letter of any script kept", u8"e\u0301 \u05D0\u0301 \u0436\u0308",
              u8"e\u0301 \u05D0\u0301 \u0436\u0308" },
    MarkCase{ "a neutral mark alone", u8"\u0301", u8"\u25CC\u200D\u0301" },
    MarkCase{ "marks of one script stacked on its letter kept", u8"\u05D1\u05BC\u05B8\u0591", u8"\u05D1\u05BC\u05B8\u0591" },
    MarkCase{ "a dotted circle in the text a base like any other", u8"\u25CC\u05B8", u8"\u25CC\u25CC\u200D\u05B8" },
    MarkCase{ "marks of two scripts on one dotted circle", u8"\u05B8\u05BC\u064E", u8"\u25CC\u200D\u05B8\u05BC\u25CC\u200D\u064E" },
    MarkCase{ "a spacing mark of its own script kept", u8"\u0915\u093E \u093E", u8"\u0915\u093E \u25CC\u200D\u093E" },
    MarkCase{ "an emoji's variation selector and keycap kept", u8"\u2764\uFE0F 1\uFE0F\u20E3",
              u8"\u2764\uFE0F 1\uFE0F\u20E3" },
    MarkCase{ "at most four marks on one base", u8"a\u0301\u0302\u0303\u0304\u0305\u0306\u0307b\u0301",
              u8"a\u0301\u0302\u0303\u0304b\u0301" },
    MarkCase{ "the bound counts the dotted circle's marks too", u8" \u0301\u0302\u0303\u0304\u0305",
              u8" \u25CC\u200D\u0301\u0302\u0303\u0304" },
    MarkCase{ "a byte-order mark between a letter and its mark changes nothing", u8"\u05D0\uFEFF\u05B8",
              u8"\u05D0\uFEFF\u05B8" },
    MarkCase{ "broken UTF-8 left as it is, a base as U+FFFD", "\xD6\xD7\x90\xB8\xC0\xAF\xCC\x81",
              "\xD6\xD7\x90\xB8\xC0\xAF\xCC\x81" },
    MarkCase{ "a mark of a script on U+FFFD", "\xFF\xD6\xB8", "\xFF\xE2\x97\x8C\xE2\x80\x8D\xD6\xB8" },
    MarkCase{ "a sequence cut before its mark's end", "\xD6", "\xD6" }));

} // namespace
