// The output formatting walk against a model of a rich-edit control.
#include "output/format_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string ColourName(uint32_t colour)
{
    static const struct { uint32_t colour; const char* name; } kNames[] = {
        { Rgb(192, 192, 192), "start" }, { Rgb(170, 170, 170), "lightgrey" }, { Rgb(91, 140, 79), "chat" },
        { Rgb(255, 0, 0), "red" },       { Rgb(0, 0, 0), "black" },           { Rgb(0, 0, 127), "navy" },
        { Rgb(0, 147, 0), "green" },     { Rgb(127, 0, 0), "maroon" },        { Rgb(156, 0, 156), "purple" },
        { Rgb(0, 0, 252), "blue" },
    };
    for (const auto& entry : kNames) {
        if (entry.colour == colour)
            return entry.name;
    }
    return std::to_string(colour);
}

// Keeps the selection's format as the control does (only the masked parts
// change), gives inserted text that format, and logs every call.
class ModelControl final : public LineOutput {
public:
    void MoveCaretToEnd() override { calls.push_back("caret"); }
    void ApplyFormat(const TextFormat& format) override { Take("apply", format); }
    void SetFormat(const TextFormat& format) override { Take("set", format); }
    void InsertRun(const char* run) override
    {
        calls.push_back(std::string("insert ") + run);
        for (const char* byte = run; *byte; ++byte) {
            if (shown.empty() || style != lastStyle)
                shown += style;
            shown += *byte;
            lastStyle = style;
        }
    }
    void PlayMessageSound() override { calls.push_back("sound"); }
    void ScrollToBottom() override { calls.push_back("scroll"); }

    bool Called(const char* call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

    std::vector<std::string> calls;
    std::string shown;  // the text, each run of one style led by "[colour b u]"

private:
    void Take(const char* kind, const TextFormat& format)
    {
        std::string call = std::string(kind) + " ";
        call += format.mask & kMaskColour ? "C" : "";
        call += format.mask & kMaskBold ? "B" : "";
        call += format.mask & kMaskUnderline ? "U" : "";
        call += format.effects & kEffectBold ? " b" : "";
        call += format.effects & kEffectUnderline ? " u" : "";
        calls.push_back(call + " " + ColourName(format.colour));
        if (format.mask & kMaskColour)
            colour = format.colour;
        if (format.mask & kMaskBold)
            bold = (format.effects & kEffectBold) != 0;
        if (format.mask & kMaskUnderline)
            underline = (format.effects & kEffectUnderline) != 0;
        style = "[" + ColourName(colour) + (bold ? " b" : "") + (underline ? " u" : "") + "]";
    }

    uint32_t colour = Rgb(1, 2, 3);
    bool bold = true;
    bool underline = true;
    std::string style, lastStyle;
};

struct WalkCase {
    const char* description;
    const char* text;
    const char* shown;
    bool sound;
    bool ownLine = false;
    bool soundOn = true;
};

std::ostream& operator<<(std::ostream& out, const WalkCase& row) { return out << row.description; }

class FormatWalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(FormatWalkTest, ShowsRunsInTheirStyles)
{
    const WalkCase& row = GetParam();
    ModelControl control;
    const LineContext context = { "tester", row.ownLine, row.soundOn, CaseMapping::Ascii };
    EXPECT_EQ(row.ownLine, WalkFormattedLine(row.text, context, control));
    EXPECT_EQ(row.shown, control.shown);
    EXPECT_EQ(row.sound, control.Called("sound"));
    EXPECT_EQ("scroll", control.calls.back());
}

INSTANTIATE_TEST_SUITE_P(Lines, FormatWalkTest, ::testing::Values(
    WalkCase{ "digits 0 and 4 give red", "a\x03" "04b", "[start]a[red]b", false },
    WalkCase{ "digit 4 alone gives red", "a\x03" "4b", "[start]a[red]b", false },
    WalkCase{ "colour 99 keeps the colour", "\x03" "2a\x03" "99b", "[navy]ab", false },
    WalkCase{ "a third digit is text", "\x03" "123", "[blue]3", false },
    WalkCase{ "colour code as the last byte changes nothing", "\x03" "3a\x03", "[green]a", false },
    WalkCase{ "colour code without digits applies nothing", "\x03" "2a\x03" "b", "[navy]ab", false },
    WalkCase{ "comma and background stay as text in the new colour", "\x03" "3a\x03" "4,2b",
              "[green]a[red],2b", false },
    WalkCase{ "colour 0 is red and 1 is black", "\x03" "0a\x03" "1b", "[red]a[black]b", false },
    WalkCase{ "cyrillic letter after a digit is text", "\x03" u8"5Ра", u8"[maroon]Ра", false },
    WalkCase{ "text between two bold codes is bold", "a\x02" "b\x02" "c", "[start]a[start b]b[start]c", false },
    WalkCase{ "plain leaves the control's underline on, the next underline keeps it",
              "\x1f" "a\x0f" "b\x1f" "c\x1f" "d", "[start u]abc[start]d", false },
    WalkCase{ "plain turns bold off and keeps the colour", "\x03" "6\x02" "a\x0f" "b", "[purple b]a[purple]b", false },
    WalkCase{ "ignored codes are dropped", "a\x06" "b\x12" "c\x13" "d\x16" "e", "[start]abcde", false },
    WalkCase{ "other control bytes are text", "a\tb\x01" "c\x1d", "[start]a\tb\x01" "c\x1d", false },
    WalkCase{ "chat line is bold in the chat colour", "\r\n\x03" "15<alice> hello",
              "[start]\r\n[chat b]<alice> hello", false },
    WalkCase{ "nick after the first '>' is bold red with sound", "\r\n\x03" "15<alice> hi tester!",
              "[start]\r\n[red b]<alice> hi tester!", true },
    WalkCase{ "mention with sound off is silent", "<alice> hi tester", "[red b]<alice> hi tester", false,
              false, false },
    WalkCase{ "nick before the first '>' is no mention", "<tester> hi", "[chat b]<tester> hi", false },
    WalkCase{ "mention ignores case as the server's mapping does", "<alice> hi TesTer", "[red b]<alice> hi TesTer",
              true },
    WalkCase{ "status line is navy and not bold", "\r\n\x03" "2*** up", "[start]\r\n[navy]*** up", false },
    WalkCase{ "status line with '>' and the nick later is a mention", "\x03" "2*** a > b tester",
              "[red b]*** a > b tester", true },
    WalkCase{ "leading '>' are skipped before the split", ">>tester", "[start]>>tester", false },
    WalkCase{ "split after the leading '>'", ">a>tester", "[red b]>a>tester", true },
    WalkCase{ "mention needs a last run", "\x03" "15<alice> tester\x02", "[lightgrey]<alice> tester", false },
    WalkCase{ "mention looks at the whole line", "<alice>\x03" "4 tester", "[start]<alice>[red b] tester", true },
    WalkCase{ "chat test looks at the last run only", "<alice>\x03" "4 hi", "[start]<alice>[red] hi", false },
    WalkCase{ "bold already on is switched off by the highlight", "\x02<alice> hi", "[chat]<alice> hi", false },
    WalkCase{ "own line is bold in the own colour", "\r\n\x03" "15<tester> hi", "[start]\r\n[blue b]<tester> hi",
              false, true },
    WalkCase{ "own line mentioning the nick still sounds", "<tester> tester", "[blue b]<tester> tester", true,
              true },
    WalkCase{ "own status line takes the colour only", "\x03" "2*** x", "[blue]*** x", false, true }));

TEST(FormatWalk, HighlightIsSetWithoutRereadingThenSoundThenText)
{
    ModelControl control;
    WalkFormattedLine("\r\n\x03" "15<alice> tester", LineContext{ "tester", false, true, CaseMapping::Ascii }, control);
    const std::vector<std::string> expected = {
        "caret", "apply CBU start", "insert \r\n", "apply CB lightgrey",
        "set CB b red", "sound", "insert <alice> tester", "scroll",
    };
    EXPECT_EQ(expected, control.calls);
}

// Only the whole line of the 409 reply is dropped, leaving the own-line flag
// unused; lines quoting its words are shown.
TEST(FormatWalk, NoOriginLineIsDroppedEntirely)
{
    const struct {
        const char* line;
        bool dropped;
    } rows[] = {
        { "\r\n\x03" "15No origin specified", true },
        { "\r\n\x03" "15No origin specified.", false },
        { "\r\n\x03" "15421 No origin specified", false },
        { "\r\n\x03" "15<alice> No origin specified", false },
    };
    for (const auto& row : rows) {
        ModelControl control;
        EXPECT_EQ(!row.dropped, WalkFormattedLine(row.line, LineContext{ "tester", true, true, CaseMapping::Ascii }, control));
        EXPECT_EQ(row.dropped, control.calls.empty()) << row.line;
    }
}

TEST(FormatWalk, OwnFlagStaysWithoutALastRun)
{
    ModelControl control;
    EXPECT_FALSE(WalkFormattedLine("<tester> hi\x03" "2", LineContext{ "tester", true, true, CaseMapping::Ascii }, control));
}

// Any text contains the empty nick, but only a part after the '>' that
// exists can contain it.
TEST(FormatWalk, EmptyNickNeedsAPartAfterTheSplit)
{
    ModelControl endsWithSplit, textAfterSplit;
    WalkFormattedLine("a>", LineContext{ "", false, true, CaseMapping::Ascii }, endsWithSplit);
    WalkFormattedLine("a>b", LineContext{ "", false, true, CaseMapping::Ascii }, textAfterSplit);
    EXPECT_EQ("[start]a>", endsWithSplit.shown);
    EXPECT_EQ("[red b]a>b", textAfterSplit.shown);
}

TEST(FormatWalk, ReadsAtMost8191Bytes)
{
    ModelControl control;
    WalkFormattedLine(std::string(10000, 'a').c_str(), LineContext{ "tester", false, true, CaseMapping::Ascii }, control);
    EXPECT_EQ("[start]" + std::string(8191, 'a'), control.shown);
}

TEST(IsChatLine, NeedsLeadingAngleAndAClosingOne)
{
    EXPECT_TRUE(IsChatLine("<alice> hi") && IsChatLine("<>") && IsChatLine("<a b>c"));
    EXPECT_FALSE(IsChatLine("<alice") || IsChatLine(" <alice>") || IsChatLine(">") || IsChatLine(""));
}

} // namespace
