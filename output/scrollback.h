// How much of each conversation the window keeps, and where. Wine's rich
// edit holds several kilobytes per shown line, and deleting from the top of
// a long one costs time in proportion to everything it holds, for every run
// deleted: trimming a channel of 5,000 lines took seconds per thousand. So
// the output control shows only the newest lines; the older ones leave it
// in blocks, as the rich text the control itself wrote out, and come back
// when the reader scrolls to the top. Dropping a stored block costs nothing,
// and the control is rebuilt from few lines.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <deque>
#include <string>
#include <vector>

struct ScrollbackLimits {
    uint32_t kept;   // lines kept at least, shown and stored, once there are that many
    uint32_t shown;  // lines the control keeps when older ones leave it
    uint32_t block;  // lines the control takes beyond `shown` before they leave
};

// The server tab and the channel.
const ScrollbackLimits kSharedScrollback = { 5000, 200, 1000 };
// A private conversation.
const ScrollbackLimits kPrivateScrollback = { 2000, 200, 400 };
// All conversations of one window together, shown and stored: never more
// than `lines`; past it, they give up lines until a block under, so that the
// window's trims are as rare as a conversation's.
struct WindowLimits {
    uint32_t lines;
    uint32_t block;
};
const WindowLimits kWindowScrollback = { 20000, 1000 };

// The lines that left one conversation's output control, oldest first, in
// the blocks they left in.
class CStoredLines {
public:
    struct Block {
        std::string richText;
        uint32_t lines;
    };

    void Add(std::string richText, uint32_t lines);
    uint32_t Lines() const { return m_lines; }
    bool IsEmpty() const { return m_blocks.empty(); }
    // Drops the oldest blocks while the rest, with `shownLines`, still keep
    // `kept` lines; returns the lines dropped.
    uint32_t DropBeyond(uint32_t kept, uint32_t shownLines);
    // Drops the oldest block; returns its lines.
    uint32_t DropOldest();
    // Every block, oldest first; the store is left empty.
    std::vector<Block> TakeAll();

private:
    std::deque<Block> m_blocks;
    uint32_t m_lines = 0;
};

// Whether the control holds a block beyond what it keeps shown.
bool ShouldShrinkShown(uint32_t shownLines, const ScrollbackLimits& limits);

// The conversation that gives up lines while the window holds more than
// its limit: the one keeping the most among those with something to give
// (`givable` lines above what they must keep shown), or -1.
int ChooseConversationToTrim(const uint32_t* kept, const uint32_t* givable, size_t count);

// Wine's rich edit writes a paragraph's single line spacing out as
// "\sl-240\slmult1" and reads that back as an exact 12 points: stored lines
// would come back taller. The module never sets a spacing, so the words go.
void RemoveSingleSpacing(std::string& richText);

// Where the text that is left starts when the oldest `lines` lines of
// `text` go: lines are the paragraphs the control ends with '\r', each line
// the module writes starts with its break, and the cut keeps that shape.
// Returns `length` when the text holds no more than `lines` breaks, and
// SIZE_MAX when it may hold more than was read (`complete` false): read
// more and ask again.
size_t FindTrimCut(const char16_t* text, size_t length, bool complete, uint32_t lines);
