// The pieces of numeric replies that the dialog tests cannot reach: number
// clamping, cut words, the generic split's corners and the calendar text.
#include "protocol/numeric_pieces.h"
#include "protocol/numeric_time.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NumericPieces, KindsBeyondTheKnownRepliesAreGeneric)
{
    EXPECT_EQ(NumericKind::Plain, ClassifyNumeric(376));
    EXPECT_EQ(NumericKind::Names, ClassifyNumeric(353));
    for (int other : { 5, 252, 1001, -1, -2147483647 - 1 })
        EXPECT_EQ(NumericKind::Generic, ClassifyNumeric(other)) << other;
}

TEST(NumericPieces, GenericSplitAtTheFirstColon)
{
    const struct {
        const char* rest;
        const char* line;
    } rows[] = { { "a :b: c", "a b: c" }, { "no colon", "no colon" }, { "", "" }, { ":x", "x" } };
    NumericPieces pieces;
    for (const auto& row : rows) {
        CutNumericPieces(NumericKind::Generic, row.rest, pieces);
        EXPECT_EQ(row.line, std::string(pieces.text, pieces.headLength) + pieces.tail) << row.rest;
    }
}

TEST(NumericPieces, NumbersAreClampedAndWordsCut)
{
    NumericPieces pieces;
    CutNumericPieces(NumericKind::WhoisIdle, "alice 99999999999 -99999999999", pieces);
    EXPECT_EQ(2147483647, pieces.idleSeconds);
    EXPECT_EQ(-2147483648LL, pieces.time);
    // An empty idle word reads 0 without borrowing the next word.
    CutNumericPieces(NumericKind::WhoisIdle, "alice  7", pieces);
    EXPECT_EQ(0, pieces.idleSeconds);
    EXPECT_TRUE(pieces.hasTime);
    EXPECT_EQ(7, pieces.time);

    const std::string rest = std::string(3000, 'n') + " user host * :name";
    CutNumericPieces(NumericKind::WhoisUser, rest.c_str(), pieces);
    EXPECT_EQ(std::string(kNumericWordSize - 1, 'n'), pieces.words[0]);
    EXPECT_STREQ("user", pieces.words[1]);
    EXPECT_STREQ("name", pieces.text);
}

TEST(FormatCalendarTime, TwentyFourCharactersOrNothing)
{
    struct tm time = {};
    time.tm_year = 70;
    time.tm_mday = 1;
    time.tm_wday = 4;
    char text[kTimeTextSize];
    ASSERT_TRUE(FormatCalendarTime(time, text, sizeof text));
    EXPECT_STREQ("Thu Jan 01 00:00:00 1970", text);
    EXPECT_FALSE(FormatCalendarTime(time, text, kTimeTextSize - 1));

    int tm::*const fields[] = { &tm::tm_wday, &tm::tm_mon, &tm::tm_mday, &tm::tm_hour,
                                &tm::tm_min, &tm::tm_sec, &tm::tm_year };
    const int outside[] = { 7, 12, 0, 24, 60, 61, 10000 - 1900 };
    for (size_t i = 0; i < sizeof outside / sizeof outside[0]; ++i) {
        struct tm wrong = time;
        wrong.*fields[i] = outside[i];
        EXPECT_FALSE(FormatCalendarTime(wrong, text, sizeof text)) << i;
        EXPECT_STREQ("", text);
    }
    time.tm_year = -2147483647 - 1;
    EXPECT_FALSE(FormatCalendarTime(time, text, sizeof text));
}

} // namespace
