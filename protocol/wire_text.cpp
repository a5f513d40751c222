#include "protocol/wire_text.h"

#include <string.h>

namespace {

// Code page 1251 above 0x7f. 0xc0 to 0xff are А to я in order (U+0410 to
// U+044F); 0x80 to 0xbf are these, a row of eight a line:
const uint16_t kCp1251Upper[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // Ђ Ѓ ‚ ѓ „ … † ‡
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // € ‰ Љ ‹ Њ Ќ Ћ Џ
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // ђ ‘ ’ “ ” • – —
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // (unassigned) ™ љ › њ ќ ћ џ
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // NBSP Ў ў Ј ¤ Ґ ¦ §
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // Ё © Є « ¬ SHY ® Ї
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // ° ± І і ґ µ ¶ ·
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // ё № є » ј Ѕ ѕ ї
};
const uint32_t kCp1251FirstLetter = 0x0410;  // А, byte 0xc0
const uint32_t kCp1251LastLetter = 0x044F;   // я, byte 0xff

// Shown as U+FFFD, visibly: each could make a line look like another. C1
// controls show nothing, and a terminal showing a log would obey them;
// embeddings, overrides and isolates reorder what follows them to the end of
// the line, so that a nick can disguise the text after it; line and
// paragraph separators would start a line of their own inside one line.
// The direction marks (U+200E, U+200F, U+061C) stay: they only settle the
// neutral characters beside them.
const struct {
    uint32_t first;
    uint32_t last;
} kReplacedRanges[] = {
    { 0x0080, 0x009F },  // C1 controls
    { 0x2028, 0x2029 },  // line and paragraph separators
    { 0x202A, 0x202E },  // bidi embeddings and overrides
    { 0x2066, 0x2069 },  // bidi isolates
};
// A byte-order mark means nothing inside a line: it is left out.
const uint32_t kByteOrderMark = 0xFEFF;

// The sequence a byte starts: its length (0 for a byte that starts none)
// and the range its second byte must lie in, which rules out overlong forms,
// surrogates (ED A0 and above) and values past U+10FFFF (F4 90 and above).
// Every later byte is 80 to BF.
struct LeadByte {
    size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

LeadByte DescribeLeadByte(unsigned char lead)
{
    if (lead < 0x80)
        return { 1, 0, 0 };
    if (lead < 0xC2)
        return { 0, 0, 0 };  // a continuation byte, or C0 and C1 that only give overlong forms
    if (lead < 0xE0)
        return { 2, 0x80, 0xBF };
    if (lead == 0xE0)
        return { 3, 0xA0, 0xBF };
    if (lead == 0xED)
        return { 3, 0x80, 0x9F };
    if (lead < 0xF0)
        return { 3, 0x80, 0xBF };
    if (lead == 0xF0)
        return { 4, 0x90, 0xBF };
    if (lead < 0xF4)
        return { 4, 0x80, 0xBF };
    if (lead == 0xF4)
        return { 4, 0x80, 0x8F };
    return { 0, 0, 0 };
}

// How many bytes at the start of bytes (length > 0) are a well-formed
// sequence or a well-formed start of one; 0 when the first byte starts none.
size_t MatchSequence(const unsigned char* bytes, size_t length, const LeadByte& lead)
{
    if (lead.length == 0)
        return 0;
    size_t matched = 1;
    while (matched < lead.length && matched < length) {
        const unsigned char low = matched == 1 ? lead.secondLow : 0x80;
        const unsigned char high = matched == 1 ? lead.secondHigh : 0xBF;
        if (bytes[matched] < low || bytes[matched] > high)
            break;
        ++matched;
    }
    return matched;
}

// Writes codePoint (at most U+10FFFF) as UTF-8 and returns its length.
size_t WriteUtf8(uint32_t codePoint, char* out)
{
    if (codePoint < 0x80) {
        out[0] = (char)codePoint;
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = (char)(0xC0 | codePoint >> 6);
        out[1] = (char)(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = (char)(0xE0 | codePoint >> 12);
        out[1] = (char)(0x80 | (codePoint >> 6 & 0x3F));
        out[2] = (char)(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = (char)(0xF0 | codePoint >> 18);
    out[1] = (char)(0x80 | (codePoint >> 12 & 0x3F));
    out[2] = (char)(0x80 | (codePoint >> 6 & 0x3F));
    out[3] = (char)(0x80 | (codePoint & 0x3F));
    return 4;
}

uint32_t DecodeCp1251(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte < 0xC0)
        return kCp1251Upper[byte - 0x80];
    return kCp1251FirstLetter + (byte - 0xC0);
}

// The byte code page 1251 has for codePoint, '?' when it has none.
char EncodeCp1251(uint32_t codePoint)
{
    if (codePoint < 0x80)
        return (char)codePoint;
    if (codePoint >= kCp1251FirstLetter && codePoint <= kCp1251LastLetter)
        return (char)(0xC0 + (codePoint - kCp1251FirstLetter));
    if (codePoint == kReplacementCharacter)
        return '?';  // not the unassigned 0x98
    for (size_t i = 0; i < sizeof kCp1251Upper / sizeof kCp1251Upper[0]; ++i) {
        if (kCp1251Upper[i] == codePoint)
            return (char)(0x80 + i);
    }
    return '?';
}

} // namespace

bool IsUtf8Text(const char* text, size_t length, bool mayBeCut)
{
    const unsigned char* bytes = (const unsigned char*)text;
    size_t at = 0;
    while (at < length) {
        const LeadByte lead = DescribeLeadByte(bytes[at]);
        const size_t matched = MatchSequence(bytes + at, length - at, lead);
        if (matched == 0 || matched < lead.length)
            return mayBeCut && matched > 0 && at + matched == length;
        at += matched;
    }
    return true;
}

size_t ReadCodePoint(const char* text, size_t length, uint32_t* codePoint)
{
    *codePoint = kReplacementCharacter;
    if (length == 0)
        return 0;
    const unsigned char* bytes = (const unsigned char*)text;
    const LeadByte lead = DescribeLeadByte(bytes[0]);
    const size_t matched = MatchSequence(bytes, length, lead);
    if (matched == 0 || matched < lead.length)
        return matched > 0 ? matched : 1;
    static const unsigned char kLeadBits[kLongestSequence + 1] = { 0, 0x7F, 0x1F, 0x0F, 0x07 };
    uint32_t value = bytes[0] & kLeadBits[lead.length];
    for (size_t i = 1; i < lead.length; ++i)
        value = value << 6 | (bytes[i] & 0x3F);
    *codePoint = value;
    return lead.length;
}

uint32_t ChooseShownCodePoint(uint32_t codePoint)
{
    if (codePoint == kByteOrderMark)
        return kNothingShown;
    for (const auto& range : kReplacedRanges) {
        if (codePoint >= range.first && codePoint <= range.last)
            return kReplacementCharacter;
    }
    return codePoint;
}

size_t FitUtf8Length(const char* text, size_t length, size_t limit)
{
    size_t fit = 0;
    while (fit < length) {
        uint32_t codePoint;
        const size_t next = fit + ReadCodePoint(text + fit, length - fit, &codePoint);
        if (next > limit)
            break;
        fit = next;
    }
    return fit;
}

size_t Cp1251ToUtf8(const char* text, size_t length, char* out, size_t capacity)
{
    if (capacity == 0)
        return 0;
    size_t written = 0;
    for (size_t at = 0; at < length; ++at) {
        char sequence[kLongestSequence];
        const size_t size = WriteUtf8(DecodeCp1251((unsigned char)text[at]), sequence);
        if (written + size >= capacity)
            break;
        memcpy(out + written, sequence, size);
        written += size;
    }
    out[written] = '\0';
    return written;
}

size_t Utf8ToCp1251(const char* text, size_t length, char* out, size_t capacity)
{
    if (capacity == 0)
        return 0;
    size_t written = 0;
    size_t at = 0;
    while (at < length && written + 1 < capacity) {
        uint32_t codePoint;
        at += ReadCodePoint(text + at, length - at, &codePoint);
        const uint32_t shown = ChooseShownCodePoint(codePoint);
        if (shown != kNothingShown)
            out[written++] = EncodeCp1251(shown);
    }
    out[written] = '\0';
    return written;
}

LineEncoding JudgeReceivedLine(char* line, size_t capacity)
{
    size_t length = strlen(line);
    const bool cut = length + 1 == capacity;
    if (!IsUtf8Text(line, length, cut))
        return LineEncoding::Windows1251;
    if (cut) {
        // Back to the lead byte of the last sequence; it goes if it is short.
        size_t lead = length;
        while (lead > 0 && length - lead < kLongestSequence && ((unsigned char)line[lead - 1] & 0xC0) == 0x80)
            --lead;
        if (lead > 0 && DescribeLeadByte((unsigned char)line[lead - 1]).length > length - lead + 1)
            line[lead - 1] = '\0';
    }
    return LineEncoding::Utf8;
}

size_t ShowNameInCp1251(const char* name, char* out, size_t capacity)
{
    const size_t length = strlen(name);
    if (IsUtf8Text(name, length, false))
        return Utf8ToCp1251(name, length, out, capacity);
    // A name from an old client is code page 1251 already; the round trip
    // only shows the unassigned byte as '?', as the output does.
    char decoded[3 * 1024 + 1];
    const size_t taken = length < 1024 ? length : 1024;
    return Utf8ToCp1251(decoded, Cp1251ToUtf8(name, taken, decoded, sizeof decoded), out, capacity);
}
