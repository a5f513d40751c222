#include "output/rich_text.h"

#include "protocol/wire_text.h"

#include <stdio.h>
#include <string.h>

#include <charconv>

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

namespace {

// The control takes "\r\n", a lone "\r" and a lone "\n" each as one line
// break and "\r\r\n" as a space. Appends the ASCII character or line break
// at text, counts a break, and returns the bytes it took.
size_t AppendAscii(std::string& body, const char* text, uint32_t& breaks)
{
    const char c = text[0];
    if (c == '\r' && text[1] == '\r' && text[2] == '\n') {
        body += ' ';
        return 3;
    }
    if (c == '\r' || c == '\n') {
        body += "\\par ";
        ++breaks;
        return c == '\r' && text[1] == '\n' ? 2 : 1;
    }
    if (c == '\t') {
        body += "\\tab ";
    } else if (c == '\\' || c == '{' || c == '}') {
        body += '\\';
        body += c;
    } else if (c < 0x20 || c == 0x7f) {
        char escaped[5];
        snprintf(escaped, sizeof escaped, "\\'%02x", (unsigned char)c);
        body += escaped;
    } else {
        body += c;
    }
    return 1;
}

// RTF's \uN takes one UTF-16 unit as a signed 16-bit number; the '?' after
// it is for readers that know no Unicode.
void AppendUnicodeEscape(std::string& body, uint32_t unit)
{
    char escaped[16] = "\\u";
    const int value = unit < 0x8000 ? (int)unit : (int)unit - 0x10000;
    char* end = std::to_chars(escaped + 2, escaped + sizeof escaped - 1, value).ptr;
    *end++ = '?';
    body.append(escaped, end - escaped);
}

// Appends what the output shows for the character at text (past ASCII), a
// character past U+FFFF as its surrogate pair, a mark with no base of its
// own after a dotted circle, and returns the bytes it took.
size_t AppendCharacter(std::string& body, const char* text, size_t length, CombiningMarkGuard& guard)
{
    uint32_t codePoint;
    const size_t taken = ReadCodePoint(text, length, &codePoint);
    const uint32_t shown = ChooseShownCodePoint(codePoint);
    const CombiningMarkGuard::Verdict verdict = guard.Judge(shown);
    if (shown == kNothingShown || verdict == CombiningMarkGuard::Verdict::Drop)
        return taken;
    if (verdict == CombiningMarkGuard::Verdict::KeepAfterDottedCircle) {
        AppendUnicodeEscape(body, kDottedCircle);
        AppendUnicodeEscape(body, kZeroWidthJoiner);
    }
    if (shown <= 0xFFFF) {
        AppendUnicodeEscape(body, shown);
        return taken;
    }
    const uint32_t offset = shown - 0x10000;
    AppendUnicodeEscape(body, 0xD800 | offset >> 10);
    AppendUnicodeEscape(body, 0xDC00 | (offset & 0x3FF));
    return taken;
}

} // namespace

// The run is UTF-8; broken sequences show as U+FFFD. The control shapes
// each run on its own, so the marks are judged run by run.
void RichTextRuns::InsertRun(const char* run)
{
    WriteFormatChanges();
    m_guard.StartRun();
    const size_t length = strlen(run);
    size_t at = 0;
    while (at < length) {
        if ((unsigned char)run[at] < 0x80) {
            m_guard.Judge((unsigned char)run[at]);
            at += AppendAscii(m_body, run + at, m_lineBreaks);
        } else {
            at += AppendCharacter(m_body, run + at, length - at, m_guard);
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
    m_lineBreaks = 0;
    m_colours.clear();
    m_body.clear();
}
