// Turning one formatted output line into runs of text and character formats:
// the IRC style codes, the chat-line and nick-mention highlights, the sound.
// No Windows types: built natively too; PrintLine collects the walk's runs as
// rich text (output/rich_text.h) for the output control.
#pragma once

#include "protocol/server_rules.h"

#include <stdint.h>

// A formatted line holds at most kFormattedLineSize - 1 bytes; the walk reads
// no further than that.
enum { kFormattedLineSize = 8192 };

// Mask and effect bits, with the values of the rich-edit CHARFORMAT fields.
enum : uint32_t {
    kMaskBold = 0x00000001,
    kMaskUnderline = 0x00000004,
    kMaskColour = 0x40000000,
    kMaskAll = kMaskBold | kMaskUnderline | kMaskColour,
};
enum : uint32_t {
    kEffectBold = 0x00000001,
    kEffectUnderline = 0x00000004,
};

// A colour laid out as a Windows COLORREF (0x00bbggrr).
constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue)
{
    return red | green << 8 | blue << 16;
}

struct TextFormat {
    uint32_t mask;     // which of effects and colour take effect
    uint32_t effects;  // kEffectBold, kEffectUnderline
    uint32_t colour;
};

// What the walk does to the output control, in order.
class LineOutput {
public:
    virtual void MoveCaretToEnd() = 0;
    // Starts from the control's default character format, then sets the
    // masked parts of `format` on the selection.
    virtual void ApplyFormat(const TextFormat& format) = 0;
    // Sets the masked parts on the selection, reusing the record last read.
    virtual void SetFormat(const TextFormat& format) = 0;
    // Inserts a non-empty run at the caret, scrolls the caret into view and
    // puts the caret at the end again.
    virtual void InsertRun(const char* run) = 0;
    virtual void PlayMessageSound() = 0;
    virtual void ScrollToBottom() = 0;

protected:
    ~LineOutput() = default;
};

struct LineContext {
    const char* ownNick;  // a mention of it after the first '>' is highlighted
    bool ownLine;         // the line is the user's own echo
    bool soundOn;
    CaseMapping caseMapping;  // the server's: how the mention compares
};

// Writes the NUL-terminated formatted `text` to `output`. The line the server's
// 409 "No origin specified" shows as is dropped: nothing at all is done.
// Returns true when the own-line colour was drawn, which uses up the
// caller's own-line flag.
bool WalkFormattedLine(const char* text, const LineContext& context, LineOutput& output);

// A chat line starts with '<' and has a '>' somewhere.
bool IsChatLine(const char* text);
