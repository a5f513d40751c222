// UTF-8 on the wire, Windows-1251 from old clients and in the ANSI controls.
#include "net/line_assembler.h"
#include "protocol/wire_text.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

bool IsUtf8(const std::string& text, bool mayBeCut)
{
    return IsUtf8Text(text.data(), text.size(), mayBeCut);
}

struct ValidityCase {
    const char* description;
    std::string text;
    bool whole;  // valid as it is
    bool cut;    // valid as the start of a longer line
};

std::ostream& operator<<(std::ostream& out, const ValidityCase& row) { return out << row.description; }

class IsUtf8TextTest : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(IsUtf8TextTest, JudgesWellFormedness)
{
    const ValidityCase& row = GetParam();
    EXPECT_EQ(row.whole, IsUtf8(row.text, false));
    EXPECT_EQ(row.cut, IsUtf8(row.text, true));
}

INSTANTIATE_TEST_SUITE_P(Texts, IsUtf8TextTest, ::testing::Values(
    ValidityCase{ "empty text", "", true, true },
    ValidityCase{ "ASCII", "PRIVMSG #marketbay :hi", true, true },
    ValidityCase{ "mixed ASCII and Cyrillic", u8"<алиса> привет, world", true, true },
    ValidityCase{ "a NUL is a character", std::string("a\0b", 3), true, true },
    ValidityCase{ "4-byte sequences", u8"\U0001F600 \U00010000", true, true },
    ValidityCase{ "the highest code point", "\xf4\x8f\xbf\xbf", true, true },
    ValidityCase{ "just below and above the surrogates", "\xed\x9f\xbf\xee\x80\x80", true, true },
    ValidityCase{ "Windows-1251 Cyrillic", "\xcf\xf0\xe8\xe2\xe5\xf2", false, false },
    ValidityCase{ "overlong NUL in 2 bytes", "\xc0\x80", false, false },
    ValidityCase{ "overlong in 2 bytes with C1", "\xc1\xbf", false, false },
    ValidityCase{ "overlong NUL in 3 bytes", "\xe0\x80\x80", false, false },
    ValidityCase{ "overlong U+07FF in 3 bytes", "\xe0\x9f\xbf", false, false },
    ValidityCase{ "overlong NUL in 4 bytes", "\xf0\x80\x80\x80", false, false },
    ValidityCase{ "encoded surrogate", "\xed\xa0\x80", false, false },
    ValidityCase{ "past U+10FFFF", "\xf4\x90\x80\x80", false, false },
    ValidityCase{ "F5 starts nothing", "\xf5\x80\x80\x80", false, false },
    ValidityCase{ "FF", "a\xff", false, false },
    ValidityCase{ "lone continuation byte", "a\x80", false, false },
    ValidityCase{ "sequence broken off by ASCII", "\xd0" "a", false, false },
    ValidityCase{ "2-byte sequence cut at the end", "ab\xd0", false, true },
    ValidityCase{ "3-byte sequence cut after 2 bytes", "a\xe2\x9c", false, true },
    ValidityCase{ "4-byte sequence cut after 3 bytes", "a\xf0\x9f\x98", false, true },
    ValidityCase{ "4-byte lead at the end", "a\xf4", false, true },
    ValidityCase{ "cut overlong start", "a\xe0\x80", false, false },
    ValidityCase{ "cut surrogate start", "a\xed\xa0", false, false },
    ValidityCase{ "cut sequence followed by more text", "\xe2\x9c" "a\xe2\x9c", false, false }));

// A line as the client receives it: the first 2047 bytes of a longer one.
struct ReceivedLine {
    char buffer[2048] = {};
    char kept[2048] = {};  // the buffer as the handler saw it
    std::string text;

    explicit ReceivedLine(const std::string& sent)
    {
        AppendReceivedBytes(buffer, sizeof buffer, 0, sent.data(), (int)sent.size(), &ReceivedLine::Keep, this);
    }

    static bool Keep(void* context)
    {
        ReceivedLine* self = static_cast<ReceivedLine*>(context);
        self->text = self->buffer;
        memcpy(self->kept, self->buffer, sizeof self->kept);
        return true;
    }
};

// The line assembler keeps the first 2047 bytes whatever they end in; the
// judge takes such a line as UTF-8 and drops the torn character from its
// end, and Windows-1251 is not UTF-8 however it was cut.
TEST(JudgeReceivedLine, LineCutAt2047BytesInsideASequenceLosesTheTornCharacter)
{
    for (const std::string sequence : { u8"п", u8"✓", u8"\U0001F600" }) {
        for (size_t kept = 1; kept < sequence.size(); ++kept) {
            SCOPED_TRACE(std::to_string(kept) + " of " + std::to_string(sequence.size()) + " bytes kept");
            ReceivedLine line(std::string(2047 - kept, 'a') + sequence + " more\r\n");
            ASSERT_EQ(2047u, line.text.size());
            EXPECT_TRUE(IsUtf8(line.text, true));
            EXPECT_FALSE(IsUtf8(line.text, false));
            EXPECT_EQ(LineEncoding::Utf8, JudgeReceivedLine(line.kept, sizeof line.kept));
            EXPECT_EQ(std::string(2047 - kept, 'a'), line.kept);
        }
    }
    ReceivedLine whole(std::string(2045, 'a') + u8"п" + "\r\n");
    EXPECT_TRUE(IsUtf8(whole.text, false));
    EXPECT_EQ(LineEncoding::Utf8, JudgeReceivedLine(whole.kept, sizeof whole.kept));
    EXPECT_EQ(whole.text, whole.kept);

    ReceivedLine cut4(std::string(2043, 'a') + u8"\U0001F600" + "b\r\n");
    EXPECT_EQ(LineEncoding::Utf8, JudgeReceivedLine(cut4.kept, sizeof cut4.kept));
    EXPECT_EQ(cut4.text, cut4.kept) << "a whole 4-byte character at the very end stays";

    ReceivedLine cp1251(std::string(2046, '\xef') + "\r\n");
    EXPECT_FALSE(IsUtf8(cp1251.text, true));
    EXPECT_EQ(LineEncoding::Windows1251, JudgeReceivedLine(cp1251.kept, sizeof cp1251.kept));
    EXPECT_EQ(cp1251.text, cp1251.kept);

    // Only a line that filled the buffer may end in half a character.
    char shortLine[2048] = "short \xd0";
    EXPECT_EQ(LineEncoding::Windows1251, JudgeReceivedLine(shortLine, sizeof shortLine));
    EXPECT_STREQ("short \xd0", shortLine);
}

TEST(ShowNameInCp1251, EachNameIsJudgedByItsOwnBytes)
{
    const struct {
        const char* description;
        const char* name;
        const char* shown;
    } rows[] = {
        { "ASCII", "anya", "anya" },
        { "UTF-8 Cyrillic", u8"Вася", "\xc2\xe0\xf1\xff" },
        { "Windows-1251 Cyrillic", "\xc2\xe0\xf1\xff", "\xc2\xe0\xf1\xff" },
        { "a letter code page 1251 lacks", u8"José", "Jos?" },
        { "a byte-order mark and a bidi override", u8"\uFEFF#a\u202Eb", "#a?b" },
    };
    for (const auto& row : rows) {
        char shown[64];
        ShowNameInCp1251(row.name, shown, sizeof shown);
        EXPECT_STREQ(row.shown, shown) << row.description;
    }
}

// Each code point read, as "hex/bytes taken", separated by blanks.
std::string ReadAll(const std::string& text)
{
    std::string reads;
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        const size_t taken = ReadCodePoint(text.data() + at, text.size() - at, &codePoint);
        char read[24];
        snprintf(read, sizeof read, "%s%X/%zu", reads.empty() ? "" : " ", (unsigned)codePoint, taken);
        reads += read;
        at += taken;
    }
    return reads;
}

struct ReadCase {
    const char* description;
    std::string text;
    const char* reads;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& row) { return out << row.description; }

class ReadCodePointTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadCodePointTest, ReadsOneCharacterOrTheLongestBrokenStart)
{
    EXPECT_EQ(GetParam().reads, ReadAll(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Sequences, ReadCodePointTest, ::testing::Values(
    ReadCase{ "ASCII and NUL", std::string("A\0", 2), "41/1 0/1" },
    ReadCase{ "2, 3 and 4 bytes", u8"П✓\U0001F600", "41F/2 2713/3 1F600/4" },
    ReadCase{ "the edges of each length", u8"\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF",
              "80/2 7FF/2 800/3 FFFF/3 10000/4 10FFFF/4" },
    ReadCase{ "a U+FFFD that was sent", u8"\uFFFD", "FFFD/3" },
    ReadCase{ "broken off by ASCII", "\xe2\x82" "A", "FFFD/2 41/1" },
    ReadCase{ "cut at the end", "\xf0\x9f\x98", "FFFD/3" },
    ReadCase{ "overlong in 2 bytes", "\xc0\x80", "FFFD/1 FFFD/1" },
    ReadCase{ "overlong in 3 bytes", "\xe0\x80\x80", "FFFD/1 FFFD/1 FFFD/1" },
    ReadCase{ "overlong in 4 bytes", "\xf0\x80\x80\x80", "FFFD/1 FFFD/1 FFFD/1 FFFD/1" },
    ReadCase{ "encoded surrogate", "\xed\xa0\x80", "FFFD/1 FFFD/1 FFFD/1" },
    ReadCase{ "past U+10FFFF", "\xf4\x90\x80\x80", "FFFD/1 FFFD/1 FFFD/1 FFFD/1" },
    ReadCase{ "bytes that start nothing", "\x80\xbf\xf5\xff", "FFFD/1 FFFD/1 FFFD/1 FFFD/1" },
    ReadCase{ "Windows-1251 letters", "\xcf\xf0\xe8", "FFFD/1 FFFD/1 FFFD/1" },
    ReadCase{ "a Windows-1251 pair that is UTF-8 too", "\xd1\x80", "440/2" }));

// The decoder stops at the length given, not at the sequence's end.
TEST(ReadCodePoint, ReadsNoFurtherThanTheLength)
{
    uint32_t codePoint = 0;
    EXPECT_EQ(2u, ReadCodePoint(u8"✓", 2, &codePoint));
    EXPECT_EQ(kReplacementCharacter, codePoint);
    EXPECT_EQ(1u, ReadCodePoint(u8"п", 1, &codePoint));
    EXPECT_EQ(kReplacementCharacter, codePoint);
    EXPECT_EQ(0u, ReadCodePoint("a", 0, &codePoint));
}

struct ShownCase {
    const char* description;
    uint32_t codePoint;
    uint32_t shown;
};

std::ostream& operator<<(std::ostream& out, const ShownCase& row) { return out << row.description; }

class ChooseShownCodePointTest : public ::testing::TestWithParam<ShownCase> {};

TEST_P(ChooseShownCodePointTest, ShowsWhatCannotDisguiseTheLine)
{
    EXPECT_EQ(GetParam().shown, ChooseShownCodePoint(GetParam().codePoint));
}

INSTANTIATE_TEST_SUITE_P(CodePoints, ChooseShownCodePointTest, ::testing::Values(
    ShownCase{ "ASCII", 'a', 'a' },
    ShownCase{ "Cyrillic", 0x41F, 0x41F },
    ShownCase{ "emoji", 0x1F600, 0x1F600 },
    ShownCase{ "first C1 control", 0x80, kReplacementCharacter },
    ShownCase{ "CSI, a C1 control", 0x9B, kReplacementCharacter },
    ShownCase{ "last C1 control", 0x9F, kReplacementCharacter },
    ShownCase{ "no-break space after the C1 controls", 0xA0, 0xA0 },
    ShownCase{ "left-to-right embedding", 0x202A, kReplacementCharacter },
    ShownCase{ "right-to-left override", 0x202E, kReplacementCharacter },
    ShownCase{ "left-to-right isolate", 0x2066, kReplacementCharacter },
    ShownCase{ "pop directional isolate", 0x2069, kReplacementCharacter },
    ShownCase{ "right-to-left mark, which moves nothing around it", 0x200F, 0x200F },
    ShownCase{ "line separator", 0x2028, kReplacementCharacter },
    ShownCase{ "paragraph separator", 0x2029, kReplacementCharacter },
    ShownCase{ "byte-order mark", 0xFEFF, kNothingShown },
    ShownCase{ "replacement character", kReplacementCharacter, kReplacementCharacter }));

struct FitCase {
    const char* description;
    std::string text;
    size_t limit;
    size_t fit;
};

std::ostream& operator<<(std::ostream& out, const FitCase& row) { return out << row.description; }

class FitUtf8LengthTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitUtf8LengthTest, BacksOffToACharacterBoundary)
{
    const FitCase& row = GetParam();
    EXPECT_EQ(row.fit, FitUtf8Length(row.text.data(), row.text.size(), row.limit));
}

INSTANTIATE_TEST_SUITE_P(Cuts, FitUtf8LengthTest, ::testing::Values(
    FitCase{ "ASCII cut at the limit", "abcdef", 4, 4 },
    FitCase{ "a text within the limit whole", u8"ab✓", 10, 5 },
    FitCase{ "a cut between characters stays", u8"aпп", 3, 3 },
    FitCase{ "inside a 2-byte sequence", u8"aпп", 4, 3 },
    FitCase{ "after 1 byte of a 3-byte sequence", u8"ab✓", 3, 2 },
    FitCase{ "after 2 bytes of a 3-byte sequence", u8"ab✓", 4, 2 },
    FitCase{ "after 1 byte of a 4-byte sequence", u8"a\U0001F600", 2, 1 },
    FitCase{ "after 3 bytes of a 4-byte sequence", u8"a\U0001F600", 4, 1 },
    FitCase{ "no room for the first character", u8"\U0001F600", 3, 0 },
    FitCase{ "a broken start is one piece, as the decoder reads it", "a\xe2\x82" "b", 2, 1 },
    FitCase{ "bytes that start nothing one by one", "\x80\x80\x80", 2, 2 }));

std::string ToUtf8(const std::string& text, size_t capacity = 1024)
{
    std::vector<char> out(capacity + 1, 'x');
    const size_t length = Cp1251ToUtf8(text.data(), text.size(), out.data(), capacity);
    EXPECT_EQ('\0', out[length]);
    EXPECT_EQ('x', out[capacity]);
    return std::string(out.data(), length);
}

std::string ToCp1251(const std::string& text, size_t capacity = 1024)
{
    std::vector<char> out(capacity + 1, 'x');
    const size_t length = Utf8ToCp1251(text.data(), text.size(), out.data(), capacity);
    EXPECT_EQ('\0', out[length]);
    EXPECT_EQ('x', out[capacity]);
    return std::string(out.data(), length);
}

struct ConversionCase {
    const char* description;
    std::string cp1251;
    std::string utf8;
};

std::ostream& operator<<(std::ostream& out, const ConversionCase& row) { return out << row.description; }

class Cp1251Test : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Cp1251Test, ConvertsBothWays)
{
    EXPECT_EQ(GetParam().utf8, ToUtf8(GetParam().cp1251));
    EXPECT_EQ(GetParam().cp1251, ToCp1251(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(Texts, Cp1251Test, ::testing::Values(
    ConversionCase{ "ASCII unchanged", "PRIVMSG #marketbay :hi", "PRIVMSG #marketbay :hi" },
    ConversionCase{ "first and last letters", "\xc0\xdf\xe0\xff", u8"АЯая" },
    ConversionCase{ "mixed with ASCII", "<\xe0\xeb\xe8\xf1\xe0> \xef\xf0\xe8\xe2\xe5\xf2!", u8"<алиса> привет!" },
    ConversionCase{ "yo", "\xa8\xb8", u8"Ёё" },
    ConversionCase{ "Ukrainian and Belarusian letters", "\xa5\xb4\xaa\xba\xaf\xbf\xb2\xb3\xa1\xa2",
                    u8"ҐґЄєЇїІіЎў" },
    ConversionCase{ "Serbian and Macedonian letters", "\x80\x90\x81\x83\x8a\x9a\x8c\x9c\x8d\x9d\x8e\x9e\x8f\x9f\xa3\xbc\xbd\xbe",
                    u8"ЂђЃѓЉљЊњЌќЋћЏџЈјЅѕ" },
    ConversionCase{ "punctuation and signs", "\x82\x84\x85\x86\x87\x88\x89\x8b\x91\x92\x93\x94\x95\x96\x97\x99\x9b",
                    u8"‚„…†‡€‰‹‘’“”•–—™›" },
    ConversionCase{ "Latin-1 signs", "\xa4\xa6\xa7\xa9\xab\xac\xae\xb0\xb1\xb5\xb6\xb7\xb9\xbb",
                    u8"¤¦§©«¬®°±µ¶·№»" },
    ConversionCase{ "no-break space and soft hyphen", "\xa0\xad", u8"\u00A0\u00AD" }));

// 0x98 has no character: it reads as U+FFFD, which goes back as '?'.
TEST(Cp1251ToUtf8, UnassignedByteIsReplaced)
{
    EXPECT_EQ(u8"a\uFFFDb", ToUtf8("a\x98" "b"));
    EXPECT_EQ("a?b", ToCp1251(ToUtf8("a\x98" "b")));
}

TEST(Cp1251ToUtf8, EveryByteComesBackThroughUtf8)
{
    std::string every;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != 0x98)
            every += (char)byte;
    }
    const std::string utf8 = ToUtf8(every);
    EXPECT_TRUE(IsUtf8(utf8, false));
    EXPECT_EQ(every, ToCp1251(utf8));
    for (char byte : every) {
        SCOPED_TRACE((unsigned char)byte);
        EXPECT_EQ(std::string(1, byte), ToCp1251(ToUtf8(std::string(1, byte))));
    }
}

TEST(Cp1251ToUtf8, StopsBeforeACharacterThatDoesNotFit)
{
    const std::string text = "a\xcf\xf0";  // "aПр"
    EXPECT_EQ(u8"aПр", ToUtf8(text, 6));
    EXPECT_EQ(u8"aП", ToUtf8(text, 5));
    EXPECT_EQ(u8"aП", ToUtf8(text, 4));
    EXPECT_EQ(u8"a", ToUtf8(text, 3));
    EXPECT_EQ("", ToUtf8(text, 1));
    char untouched = 'x';
    EXPECT_EQ(0u, Cp1251ToUtf8(text.data(), text.size(), &untouched, 0));
    EXPECT_EQ('x', untouched);
}

struct NarrowCase {
    const char* description;
    std::string utf8;
    std::string cp1251;
};

std::ostream& operator<<(std::ostream& out, const NarrowCase& row) { return out << row.description; }

class Utf8ToCp1251Test : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(Utf8ToCp1251Test, ShowsWhatCodePage1251Holds)
{
    EXPECT_EQ(GetParam().cp1251, ToCp1251(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(Texts, Utf8ToCp1251Test, ::testing::Values(
    NarrowCase{ "characters outside code page 1251", u8"日本 é ✓ \U0001F600!", "?? ? ? ?!" },
    NarrowCase{ "a replacement character that was sent", u8"\uFFFD", "?" },
    NarrowCase{ "broken sequences, one '?' each", "\xe2\x82" "A\xc0\x80", "?A??" },
    NarrowCase{ "Windows-1251 bytes taken for UTF-8", "\xcf\xf0", "??" },
    NarrowCase{ "byte-order mark left out", u8"\uFEFFnick", "nick" },
    NarrowCase{ "bidi override and isolate", u8"a\u202Eb\u2067c", "a?b?c" },
    NarrowCase{ "C1 control", u8"a\u0085b", "a?b" },
    NarrowCase{ "line separator", u8"a\u2028b", "a?b" }));

TEST(Utf8ToCp1251, CutsWhereTheOutputIsFull)
{
    EXPECT_EQ("\xcf\xf0\xe8", ToCp1251(u8"Привет", 4));
    EXPECT_EQ("", ToCp1251(u8"Привет", 1));
    char untouched = 'x';
    EXPECT_EQ(0u, Utf8ToCp1251("a", 1, &untouched, 0));
    EXPECT_EQ('x', untouched);
}

} // namespace
