// The output code walk on arbitrary formatted lines, with an arbitrary own
// nick and own-line and sound flags, and the rich text it makes of them.
#include "checked_output.h"
#include "exact_text.h"
#include "protocol/wire_text.h"
#include "output/combining_marks.h"
#include "output/rich_text.h"
#include "output/unicode_classes.h"

#include <ctype.h>
#include <stdint.h>
#include <stdlib.h>

namespace {

class SilentRuns final : public RichTextRuns {
public:
    void PlayMessageSound() override {}
};

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Reads the N of a \uN? escape from `at`, leaves `at` on the '?' and
// returns N as a UTF-16 unit.
uint32_t ReadUnicodeEscape(const std::string& stream, size_t& at)
{
    const bool negative = stream[at] == '-';
    at += negative;
    long value = 0;
    size_t digits = 0;
    for (; at < stream.size() && isdigit((unsigned char)stream[at]) && digits < 6; ++at, ++digits)
        value = value * 10 + (stream[at] - '0');
    Expect(digits > 0 && at < stream.size() && stream[at] == '?');
    value = negative ? -value : value;
    Expect(value >= -32768 && value <= 32767);
    return (uint32_t)(value < 0 ? value + 0x10000 : value);
}

// A character past ASCII is one the output shows, past U+FFFF as a whole
// surrogate pair. pendingHigh holds the first unit of a pair until its second.
void ExpectShownCharacter(uint32_t unit, uint32_t& pendingHigh)
{
    uint32_t codePoint = unit;
    if (pendingHigh != 0) {
        Expect(IsLowSurrogate(unit));
        codePoint = 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00);
        pendingHigh = 0;
    } else if (IsHighSurrogate(unit)) {
        pendingHigh = unit;
        return;
    }
    Expect(codePoint >= 0x80 && !IsLowSurrogate(codePoint) && ChooseShownCodePoint(codePoint) == codePoint);
}

// The stream is plain printable ASCII whose groups close in order: every
// byte of the text was escaped, and the control reads no more and no less.
// Only control bytes go as \'xx: every character past ASCII is a \uN?.
void ExpectWellFormed(const std::string& stream)
{
    int depth = 0;
    uint32_t pendingHigh = 0;
    for (size_t i = 0; i < stream.size(); ++i) {
        const unsigned char c = stream[i];
        Expect(c >= 0x20 && c <= 0x7e);
        const bool unicode = c == '\\' && i + 2 < stream.size() && stream[i + 1] == 'u' &&
                             (stream[i + 2] == '-' || isdigit((unsigned char)stream[i + 2]));
        Expect(pendingHigh == 0 || unicode);
        if (unicode) {
            i += 2;
            ExpectShownCharacter(ReadUnicodeEscape(stream, i), pendingHigh);
        } else if (c == '\\') {
            Expect(i + 1 < stream.size());
            ++i;  // an escaped character or the first letter of a word
            if (stream[i] == '\'') {
                Expect(i + 2 < stream.size());
                const unsigned long byte = strtoul(stream.substr(i + 1, 2).c_str(), nullptr, 16);
                Expect(byte < 0x20 || byte == 0x7f);
            }
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            Expect(--depth >= 0);
        }
    }
    Expect(depth == 0 && pendingHigh == 0);
}

// Follows the shown characters of the stream run by run: every combining
// mark stands on a base of its own script, or right after a dotted circle
// and a joiner, or after such marks; at most kMarksPerBase on one base.
class MarkCheck {
public:
    void StartRun() { m_base = m_last = kNone; }

    void Show(uint32_t codePoint)
    {
        const CharacterClass character = ClassifyCodePoint(codePoint);
        const bool joined = m_last == kZeroWidthJoiner && m_beforeLast == kDottedCircle;
        m_beforeLast = m_last;
        m_last = codePoint;
        if (character.kind == CharacterKind::Blank) {
            m_base = kNone;
        } else if (character.kind == CharacterKind::Base) {
            m_base = codePoint;
            m_marks = 0;
        } else if (joined) {
            m_base = codePoint;
            m_marks = 1;
        } else {
            Expect(m_base != kNone && ++m_marks <= kMarksPerBase);
            Expect(MayMarkFollow(character.scripts, ClassifyCodePoint(m_base).scripts));
        }
    }

    // Reads the stream: a format word starts a run, a paragraph, tab or
    // control byte is a blank.
    void Read(const std::string& stream)
    {
        uint32_t pendingHigh = 0;
        for (size_t i = 0; i < stream.size(); ++i) {
            if (stream[i] == '{' || stream[i] == '}') {
                StartRun();
            } else if (stream[i] != '\\') {
                Show((unsigned char)stream[i]);
            } else if (stream.compare(i + 1, 1, "'") == 0) {
                Show(0x01);
                i += 3;
            } else if (i + 1 < stream.size() && !isalpha((unsigned char)stream[i + 1])) {
                Show((unsigned char)stream[++i]);
            } else {
                size_t end = i + 1;
                while (end < stream.size() && isalpha((unsigned char)stream[end]))
                    ++end;
                const std::string word = stream.substr(i + 1, end - i - 1);
                i = end;
                if (word == "u") {
                    const uint32_t unit = ReadUnicodeEscape(stream, i);
                    if (IsHighSurrogate(unit)) {
                        pendingHigh = unit;
                        continue;
                    }
                    Show(pendingHigh ? 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00) : unit);
                    pendingHigh = 0;
                    continue;
                }
                while (i < stream.size() && (isdigit((unsigned char)stream[i]) || stream[i] == '-'))
                    ++i;
                if (word == "par" || word == "tab")
                    Show(0x01);
                else
                    StartRun();
                if (i < stream.size() && stream[i] != ' ')
                    --i;  // not a delimiter: read it next
            }
        }
    }

private:
    static constexpr uint32_t kNone = 0xFFFFFFFF;
    uint32_t m_base = kNone;  // the base, or the first mark after a joiner
    uint32_t m_last = kNone;
    uint32_t m_beforeLast = kNone;
    unsigned m_marks = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool ownLine = data.ConsumeBool();
    const bool soundOn = data.ConsumeBool();
    const CaseMapping mapping = static_cast<CaseMapping>(data.ConsumeIntegralInRange<int>(0, 2));
    const ExactText nick = ConsumeText(data, 40);
    const ExactText text(data.ConsumeRemainingBytesAsString());

    CheckedOutput output;
    const LineContext context = { nick.get(), ownLine, soundOn, mapping };
    const bool ownLineDrawn = WalkFormattedLine(text.get(), context, output);

    // Either nothing is done, or the line ends scrolled to the bottom.
    Expect(output.scrolled == (output.calls > 0));
    Expect(!ownLineDrawn || ownLine);
    Expect(output.sounds <= 1 && (output.sounds == 0 || soundOn));
    // Runs are the line's own bytes with the codes taken out, read no
    // further than the line's limit.
    const size_t readable = text.length() < kFormattedLineSize - 1 ? text.length()
                                                                   : kFormattedLineSize - 1;
    Expect(output.text.size() <= readable);
    // Only the whole line of the 409 reply is dropped.
    Expect((output.calls == 0) == (strcmp(text.get(), "\r\n\x03" "15No origin specified") == 0));
    IsChatLine(text.get());

    // The same line, and once more, as the rich text a batch collects.
    SilentRuns runs;
    WalkFormattedLine(text.get(), context, runs);
    WalkFormattedLine(text.get(), context, runs);
    Expect(runs.ScrollWanted() == (output.calls > 0));
    Expect(runs.HasText() == (output.text.size() > 0));
    ExpectWellFormed(runs.ComposeStream(1251));
    MarkCheck().Read(runs.ComposeStream(1251));
    return 0;
}
