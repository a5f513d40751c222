// Wire text on arbitrary bytes: the UTF-8 decoder and judge, the conversions
// between Windows-1251 and UTF-8, and typed UTF-8 text split for the wire.
#include "exact_text.h"
#include "net/outgoing_text.h"
#include "protocol/wire_text.h"

#include <stdint.h>

namespace {

size_t ShortestSequenceFor(uint32_t codePoint)
{
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

// Reads every code point, and judges the text against what was read: it is
// UTF-8 when every read was a character in its shortest form, and the one
// U+FFFD that was sent is EF BF BD. Returns the well-formed characters alone,
// NUL aside: the text made valid.
std::string ReadAll(const ExactBytes& text)
{
    std::string valid;
    bool broken = false;
    for (size_t at = 0; at < text.length();) {
        uint32_t codePoint = 0;
        const size_t taken = ReadCodePoint(text.get() + at, text.length() - at, &codePoint);
        Expect(taken >= 1 && taken <= kLongestSequence && taken <= text.length() - at);
        Expect(codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF));
        const bool sent = codePoint != kReplacementCharacter ||
                          (taken == 3 && memcmp(text.get() + at, "\xef\xbf\xbd", 3) == 0);
        if (sent) {
            Expect(taken == ShortestSequenceFor(codePoint));
            if (codePoint != 0)
                valid.append(text.get() + at, taken);
        }
        broken = broken || !sent;
        at += taken;
    }
    Expect(IsUtf8Text(text.get(), text.length(), false) == !broken);
    return valid;
}

// A cut text is accepted exactly when some completion of its last sequence
// makes it whole: the second byte of a sequence is at least 80, 90 or A0
// (after F4, F0 and E0), every later one 80.
void JudgeCutText(const ExactBytes& text)
{
    bool completes = IsUtf8Text(text.get(), text.length(), false);
    for (const unsigned char second : { 0x80, 0x90, 0xA0 }) {
        std::string completed(text.get(), text.length());
        completed += (char)second;
        for (size_t added = 1; added < kLongestSequence && !completes; ++added) {
            completes = IsUtf8Text(completed.data(), completed.size(), false);
            completed += '\x80';
        }
    }
    Expect(IsUtf8Text(text.get(), text.length(), true) == completes);
}

// Windows-1251 to UTF-8 gives UTF-8 that converts back to the same bytes, the
// unassigned 0x98 as '?'; a smaller output holds the same text cut before
// the first character that does not fit.
void ConvertCp1251(const ExactBytes& text, size_t capacity)
{
    const size_t fullCapacity = 3 * text.length() + 1;
    std::unique_ptr<char[]> utf8(new char[fullCapacity]);
    const size_t length = Cp1251ToUtf8(text.get(), text.length(), utf8.get(), fullCapacity);
    Expect(length < fullCapacity && utf8[length] == '\0');
    Expect(IsUtf8Text(utf8.get(), length, false));

    std::unique_ptr<char[]> back(new char[text.length() + 1]);
    Expect(Utf8ToCp1251(utf8.get(), length, back.get(), text.length() + 1) == text.length());
    for (size_t at = 0; at < text.length(); ++at)
        Expect(back[at] == (text.get()[at] == '\x98' ? '?' : text.get()[at]));

    std::unique_ptr<char[]> cut(new char[capacity ? capacity : 1]);
    const size_t cutLength = Cp1251ToUtf8(text.get(), text.length(), cut.get(), capacity);
    if (capacity == 0) {
        Expect(cutLength == 0);
        return;
    }
    Expect(cutLength < capacity && cut[cutLength] == '\0' && memcmp(cut.get(), utf8.get(), cutLength) == 0);
    if (cutLength < length) {
        uint32_t codePoint;
        Expect(cutLength + ReadCodePoint(utf8.get() + cutLength, length - cutLength, &codePoint) >= capacity);
    }
}

// UTF-8 to Windows-1251 gives a byte for each character shown at most, never
// the unassigned 0x98, and in a smaller output the start of the same text.
void ConvertUtf8(const ExactBytes& text, size_t capacity)
{
    std::unique_ptr<char[]> full(new char[text.length() + 1]);
    const size_t fullLength = Utf8ToCp1251(text.get(), text.length(), full.get(), text.length() + 1);
    Expect(fullLength <= text.length() && full[fullLength] == '\0');
    Expect(memchr(full.get(), '\x98', fullLength) == nullptr);

    std::unique_ptr<char[]> cut(new char[capacity ? capacity : 1]);
    const size_t length = Utf8ToCp1251(text.get(), text.length(), cut.get(), capacity);
    if (capacity == 0) {
        Expect(length == 0);
        return;
    }
    const size_t expected = fullLength < capacity - 1 ? fullLength : capacity - 1;
    Expect(length == expected && cut[length] == '\0' && memcmp(cut.get(), full.get(), length) == 0);
}

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Every piece of valid UTF-8 is non-empty, within the limit and valid UTF-8
// (a limit under kLongestSequence may cut a character it cannot hold), and
// the pieces with what the splitter skipped between them make up the text:
// line breaks, and one blank where a line was split at a blank.
void SplitText(const ExactText& text, size_t limit)
{
    const char* cursor = text.get();
    const char* expected = text.get();  // where the next piece must start
    const char* piece = nullptr;
    size_t length = 0;
    while (NextMessagePiece(&cursor, limit, &piece, &length)) {
        while (IsLineBreak(*expected))
            ++expected;
        Expect(piece == expected && length > 0 && length <= limit);
        Expect(memchr(piece, '\r', length) == nullptr && memchr(piece, '\n', length) == nullptr);
        if (limit >= kLongestSequence)
            Expect(IsUtf8Text(piece, length, false));
        // A line that goes on was split: at a blank in the last quarter,
        // which neither piece holds, or else at most a character short of
        // the limit. A limit under 4 bytes has no quarter to look in.
        const bool lineGoesOn = piece[length] != '\0' && !IsLineBreak(piece[length]);
        expected = piece + length;
        if (lineGoesOn && limit >= kLongestSequence) {
            if (*expected == ' ') {
                Expect(length > limit - limit / 4);
                ++expected;
            } else {
                Expect(length + kLongestSequence > limit);
            }
        }
        Expect(cursor == expected);
    }
    while (IsLineBreak(*expected))
        ++expected;
    Expect(*expected == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const size_t limit = data.ConsumeIntegralInRange<size_t>(1, 600);
    const size_t capacity = data.ConsumeIntegralInRange<size_t>(0, 64);
    const ExactBytes text(data.ConsumeRemainingBytesAsString());

    const std::string valid = ReadAll(text);
    JudgeCutText(text);
    ConvertCp1251(text, capacity);
    ConvertUtf8(text, capacity);
    SplitText(ExactText(valid), limit);
    return 0;
}
