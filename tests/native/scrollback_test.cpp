// The scrollback's bookkeeping: stored blocks kept and dropped whole, when
// a control gives up its older lines, which conversation the window trims,
// and where a cut falls in the control's text.
#include "output/scrollback.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StoredLinesTest, BlocksAreKeptInOrderAndDroppedWholeOldestFirst)
{
    CStoredLines stored;
    stored.Add("first", 1000);
    stored.Add("empty", 0);
    stored.Add("second", 1000);
    stored.Add("third", 600);
    EXPECT_EQ(2600u, stored.Lines());

    // 200 shown: dropping "first" still keeps 1,800 of the 1,800 wanted,
    // dropping "second" too would leave 800.
    EXPECT_EQ(1000u, stored.DropBeyond(1800, 200));
    EXPECT_EQ(1600u, stored.Lines());
    EXPECT_EQ(0u, stored.DropBeyond(1800, 200));

    const std::vector<CStoredLines::Block> blocks = stored.TakeAll();
    ASSERT_EQ(2u, blocks.size());
    EXPECT_EQ("second", blocks[0].richText);
    EXPECT_EQ("third", blocks[1].richText);
    EXPECT_EQ(600u, blocks[1].lines);
    EXPECT_TRUE(stored.IsEmpty());
    EXPECT_EQ(0u, stored.Lines());
    EXPECT_EQ(0u, stored.DropOldest());
}

TEST(StoredLinesTest, KeepsEverythingWhileTheBoundIsNotReached)
{
    CStoredLines stored;
    stored.Add("a", 1000);
    stored.Add("b", 1000);
    EXPECT_EQ(0u, stored.DropBeyond(5000, 200));
    EXPECT_EQ(1000u, stored.DropBeyond(1200, 200));
    EXPECT_EQ(1000u, stored.Lines());
}

TEST(ScrollbackLimitsTest, ControlGivesUpItsLinesOnlyPastABlock)
{
    const ScrollbackLimits limits = { 5000, 200, 1000 };
    EXPECT_FALSE(ShouldShrinkShown(0, limits));
    EXPECT_FALSE(ShouldShrinkShown(1200, limits));
    EXPECT_TRUE(ShouldShrinkShown(1201, limits));
}

TEST(ScrollbackLimitsTest, WindowTrimsTheLargestConversationThatCanGive)
{
    const uint32_t kept[] = { 5000, 5400, 2000, 5400 };
    const uint32_t givable[] = { 4800, 0, 1800, 5200 };
    // The channel keeps the most but has nothing to give; of the two that
    // keep 5,400, the first.
    EXPECT_EQ(3, ChooseConversationToTrim(kept, givable, 4));
    const uint32_t none[] = { 0, 0, 0, 0 };
    EXPECT_EQ(-1, ChooseConversationToTrim(kept, none, 4));
    EXPECT_EQ(-1, ChooseConversationToTrim(kept, givable, 0));
}

struct CutCase {
    const char* description;
    std::u16string text;
    bool complete;
    uint32_t lines;
    size_t cut;
};

TEST(FindTrimCutTest, CutsBeforeTheBreakThatStartsTheFirstKeptLine)
{
    const CutCase cases[] = {
        { "nothing goes", u"\rone\rtwo", true, 0, 0 },
        { "the oldest line goes", u"\rone\rtwo\rthree", true, 1, 4 },
        { "two lines go", u"\rone\rtwo\rthree", true, 2, 8 },
        { "every line goes", u"\rone\rtwo", true, 2, 8 },
        { "more than there are", u"\rone\rtwo", true, 5, 8 },
        { "a head without a break goes with the first line", u"head\rone\rtwo", true, 1, 8 },
        { "a partial read that holds the cut", u"\rone\rtwo\rth", false, 2, 8 },
        { "a partial read without it asks for more", u"\rone\rtw", false, 2, SIZE_MAX },
        { "empty text", u"", true, 3, 0 },
    };
    for (const CutCase& c : cases)
        EXPECT_EQ(c.cut, FindTrimCut(c.text.data(), c.text.size(), c.complete, c.lines)) << c.description;
}

TEST(RemoveSingleSpacingTest, DropsOnlyTheSpacingWords)
{
    std::string richText = "{\\rtf1\\pard\\sl-240\\slmult1 \\cf1 a\\par \\sl-240\\slmult1 \\sl-2400 b}";
    RemoveSingleSpacing(richText);
    EXPECT_EQ("{\\rtf1\\pard \\cf1 a\\par  \\sl-2400 b}", richText);
}

} // namespace
