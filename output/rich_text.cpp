#include "output/rich_text.h"

#include <stdio.h>

void RichTextRuns::SetFormat(const TextFormat& format)
{
    const uint32_t effectBits = format.mask & (kMaskBold | kMaskUnderline);
    m_effects = (m_effects & ~effectBits) | (format.effects & effectBits);
    if (format.mask & kMaskColour)
        m_colour = format.colour;
}

size_t RichTextRuns::IndexColour(uint32_t colour)
{
    for (size_t i = 0; i < m_colours.size(); ++i)
        if (m_colours[i] == colour)
            return i + 1;
    m_colours.push_back(colour);
    return m_colours.size();
}

void RichTextRuns::WriteFormatChanges()
{
    char words[48];
    int length = 0;
    const uint32_t changed = m_formatWritten ? m_effects ^ m_writtenEffects : kEffectBold | kEffectUnderline;
    if (!m_formatWritten || m_colour != m_writtenColour)
        length += snprintf(words + length, sizeof words - length, "\\cf%u", (unsigned)IndexColour(m_colour));
    if (changed & kEffectBold)
        length += snprintf(words + length, sizeof words - length, (m_effects & kEffectBold) ? "\\b" : "\\b0");
    if (changed & kEffectUnderline)
        length += snprintf(words + length, sizeof words - length,
                           (m_effects & kEffectUnderline) ? "\\ul" : "\\ulnone");
    if (length == 0)
        return;
    m_body.append(words, length);
    m_body += ' ';  // ends the last control word
    m_formatWritten = true;
    m_writtenEffects = m_effects;
    m_writtenColour = m_colour;
}

// The control takes "\r\n", a lone "\r" and a lone "\n" each as one line
// break and "\r\r\n" as a space; every other byte is one character of the
// code page.
void RichTextRuns::InsertRun(const char* run)
{
    WriteFormatChanges();
    for (const unsigned char* p = (const unsigned char*)run; *p; ++p) {
        const unsigned char c = *p;
        if (c == '\r' && p[1] == '\r' && p[2] == '\n') {
            p += 2;
            m_body += ' ';
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && p[1] == '\n')
                ++p;
            m_body += "\\par ";
        } else if (c == '\t') {
            m_body += "\\tab ";
        } else if (c == '\\' || c == '{' || c == '}') {
            m_body += '\\';
            m_body += (char)c;
        } else if (c < 0x20 || c > 0x7e) {
            char escaped[5];
            snprintf(escaped, sizeof escaped, "\\'%02x", c);
            m_body += escaped;
        } else {
            m_body += (char)c;
        }
    }
}

const std::string& RichTextRuns::ComposeStream(unsigned codePage)
{
    char number[48];
    snprintf(number, sizeof number, "{\\rtf1\\ansi\\ansicpg%u{\\colortbl;", codePage);
    m_stream = number;
    for (uint32_t colour : m_colours) {
        snprintf(number, sizeof number, "\\red%u\\green%u\\blue%u;", (unsigned)(colour & 0xff),
                 (unsigned)(colour >> 8 & 0xff), (unsigned)(colour >> 16 & 0xff));
        m_stream += number;
    }
    m_stream += '}';
    m_stream += m_body;
    m_stream += '}';
    return m_stream;
}

void RichTextRuns::Clear()
{
    m_formatWritten = false;
    m_scrollWanted = false;
    m_colours.clear();
    m_body.clear();
}
