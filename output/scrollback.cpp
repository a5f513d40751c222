#include "output/scrollback.h"

#include <utility>

void CStoredLines::Add(std::string richText, uint32_t lines)
{
    if (lines == 0)
        return;
    m_blocks.push_back(Block{ std::move(richText), lines });
    m_lines += lines;
}

uint32_t CStoredLines::DropBeyond(uint32_t kept, uint32_t shownLines)
{
    uint32_t dropped = 0;
    while (!m_blocks.empty() && m_lines - m_blocks.front().lines + shownLines >= kept)
        dropped += DropOldest();
    return dropped;
}

uint32_t CStoredLines::DropOldest()
{
    if (m_blocks.empty())
        return 0;
    const uint32_t lines = m_blocks.front().lines;
    m_blocks.pop_front();
    m_lines -= lines;
    return lines;
}

std::vector<CStoredLines::Block> CStoredLines::TakeAll()
{
    std::vector<Block> blocks(std::make_move_iterator(m_blocks.begin()),
                              std::make_move_iterator(m_blocks.end()));
    m_blocks.clear();
    m_lines = 0;
    return blocks;
}

bool ShouldShrinkShown(uint32_t shownLines, const ScrollbackLimits& limits)
{
    return shownLines > limits.shown + limits.block;
}

int ChooseConversationToTrim(const uint32_t* kept, const uint32_t* givable, size_t count)
{
    int chosen = -1;
    for (size_t i = 0; i < count; ++i)
        if (givable[i] > 0 && (chosen < 0 || kept[i] > kept[chosen]))
            chosen = (int)i;
    return chosen;
}

void RemoveSingleSpacing(std::string& richText)
{
    static const char kWords[] = "\\sl-240\\slmult1";
    const size_t length = sizeof kWords - 1;
    for (size_t at = richText.find(kWords); at != std::string::npos; at = richText.find(kWords, at))
        richText.erase(at, length);
}

size_t FindTrimCut(const char16_t* text, size_t length, bool complete, uint32_t lines)
{
    // The text before the first break is what is left of an older line, so
    // it goes with the first line.
    uint32_t seen = 0;
    for (size_t i = 0; i < length; ++i)
        if (text[i] == u'\r' && seen++ == lines)
            return i;
    return complete ? length : SIZE_MAX;
}
