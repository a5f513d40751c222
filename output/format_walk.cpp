// The byte walk over one formatted line and the highlight of its last run.
#include "output/format_walk.h"

#include "protocol/colours.h"
#include "protocol/server_rules.h"

#include <string.h>

namespace {

// Colour 0 is red here, not the white of other clients: the error lines
// ("\x030") rely on it.
const uint32_t kPalette[16] = {
    Rgb(255, 0, 0),     Rgb(0, 0, 0),       Rgb(0, 0, 127),     Rgb(0, 147, 0),
    Rgb(255, 0, 0),     Rgb(127, 0, 0),     Rgb(156, 0, 156),   Rgb(252, 127, 0),
    Rgb(255, 255, 0),   Rgb(0, 252, 0),     Rgb(0, 147, 147),   Rgb(0, 255, 255),
    Rgb(0, 0, 252),     Rgb(255, 0, 255),   Rgb(127, 127, 127), Rgb(170, 170, 170),
};

const uint32_t kStartColour = Rgb(192, 192, 192);
const uint32_t kChatLineColour = Rgb(91, 140, 79);
const uint32_t kMentionColour = Rgb(255, 0, 0);
const uint32_t kOwnLineColour = Rgb(0, 0, 252);

// The generic line of the server's answer to a PING without origin: only
// this whole line is dropped, never a line that quotes its words.
const char kDroppedLine[] = "\r\n" COLOUR_CHAT "No origin specified";

enum : unsigned char {
    kCodeBold = 0x02,
    kCodeColour = 0x03,
    kCodePlain = 0x0F,
    kCodeUnderline = 0x1F,
};

bool IsAsciiDigit(char byte)
{
    return byte >= '0' && byte <= '9';
}

size_t BoundedLength(const char* text)
{
    size_t length = 0;
    while (length < kFormattedLineSize - 1 && text[length])
        ++length;
    return length;
}

// Substring search within the first `length` bytes, each byte compared as
// `fold` makes it; an empty needle is found, as with strstr.
template <typename Fold>
bool Contains(const char* text, size_t length, const char* needle, Fold fold)
{
    const size_t needleLength = strlen(needle);
    for (size_t start = 0; start + needleLength <= length; ++start) {
        size_t i = 0;
        while (i < needleLength && fold(text[start + i]) == fold(needle[i]))
            ++i;
        if (i == needleLength)
            return true;
    }
    return false;
}

// Splits at the first '>' after any leading ones; true when the part after
// it is not empty and holds the nick, in any case the server's mapping
// takes for the same nick.
bool MentionsNick(const char* text, size_t length, const char* nick, CaseMapping mapping)
{
    size_t first = 0;
    while (first < length && text[first] == '>')
        ++first;
    const void* split = first < length ? memchr(text + first, '>', length - first) : nullptr;
    if (!split)
        return false;
    const size_t rest = static_cast<const char*>(split) - text + 1;
    return rest < length &&
           Contains(text + rest, length - rest, nick, [mapping](char byte) { return FoldCase(mapping, byte); });
}

// The state of one line: nothing survives the call.
struct LineState {
    explicit LineState(LineOutput& target) : output(target) {}

    void Append(char byte) { pending[pendingLength++] = byte; }

    const char* Pending()
    {
        pending[pendingLength] = '\0';
        return pending;
    }

    void Flush()
    {
        if (pendingLength == 0)
            return;
        output.InsertRun(Pending());
        pendingLength = 0;
    }

    void Apply(uint32_t mask) { output.ApplyFormat(TextFormat{ mask, effects, colour }); }
    void Set(uint32_t mask) { output.SetFormat(TextFormat{ mask, effects, colour }); }

    LineOutput& output;
    uint32_t effects = 0;
    uint32_t colour = kStartColour;
    char pending[kFormattedLineSize];
    size_t pendingLength = 0;
};

} // namespace

bool WalkFormattedLine(const char* text, const LineContext& context, LineOutput& output)
{
    if (strcmp(text, kDroppedLine) == 0)
        return false;

    const size_t length = BoundedLength(text);

    output.MoveCaretToEnd();
    LineState line(output);
    line.Apply(kMaskAll);

    for (size_t i = 0; i < length; ++i) {
        switch (static_cast<unsigned char>(text[i])) {
        case kCodeBold:
            line.Flush();
            line.effects ^= kEffectBold;
            line.Apply(kMaskBold);
            break;
        case kCodeColour: {
            line.Flush();
            // At most two digits: a comma and a background colour after them
            // stay in the text.
            int number = 0;
            int digits = 0;
            while (digits < 2 && i + 1 < length && IsAsciiDigit(text[i + 1])) {
                number = number * 10 + (text[++i] - '0');
                ++digits;
            }
            if (digits == 0)
                break;
            if (number < 16)
                line.colour = kPalette[number];
            line.Apply(kMaskColour | kMaskBold);
            break;
        }
        case kCodePlain:
            // Only bold goes off in the control; underline and colour stay.
            line.Flush();
            line.effects = 0;
            line.Apply(kMaskBold);
            break;
        case kCodeUnderline:
            line.Flush();
            line.effects ^= kEffectUnderline;
            line.Apply(kMaskUnderline);
            break;
        case 0x06:
        case 0x12:
        case 0x13:
        case 0x16:
            break;
        default:
            line.Append(text[i]);
            break;
        }
    }

    bool ownLineDrawn = false;
    if (line.pendingLength > 0) {
        if (MentionsNick(text, length, context.ownNick, context.caseMapping)) {
            line.effects ^= kEffectBold;
            line.colour = kMentionColour;
            line.Set(kMaskColour | kMaskBold);
            if (context.soundOn)
                output.PlayMessageSound();
        } else if (IsChatLine(line.Pending())) {
            line.effects ^= kEffectBold;
            line.colour = kChatLineColour;
            line.Set(kMaskColour | kMaskBold);
        }
        if (context.ownLine) {
            line.colour = kOwnLineColour;
            line.Set(kMaskColour | kMaskBold);
            ownLineDrawn = true;
        }
        line.Flush();
    }
    output.ScrollToBottom();
    return ownLineDrawn;
}

bool IsChatLine(const char* text)
{
    return text[0] == '<' && strchr(text, '>') != nullptr;
}
