// Typed text on its way to the wire: line breaks and the 512-byte line.
#include "net/outgoing_text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Pieces(const std::string& text, size_t limit)
{
    std::vector<std::string> pieces;
    const char* cursor = text.c_str();
    const char* piece;
    size_t length;
    while (NextMessagePiece(&cursor, limit, &piece, &length))
        pieces.push_back(std::string(piece, length));
    return pieces;
}

typedef std::vector<std::string> Lines;

TEST(NextMessagePiece, LineBreaksSeparateMessagesAndEmptyLinesGo)
{
    EXPECT_EQ(Lines({ "one" }), Pieces("one", 100));
    EXPECT_EQ(Lines({ "one", "two", " three " }), Pieces("\r\none\r\n\r\ntwo\r\r\n three \n", 100));
    EXPECT_EQ(Lines(), Pieces("", 100));
    EXPECT_EQ(Lines(), Pieces("\r\n\n\r", 100));
}

TEST(NextMessagePiece, LongLineSplitsAtABlankNearTheLimit)
{
    // The blank at the limit itself: both pieces full, the blank dropped.
    EXPECT_EQ(Lines({ "aaaaaaaa", "bb" }), Pieces("aaaaaaaa bb", 8));
    // Within the last quarter (positions 7 and 8 of a limit of 8).
    EXPECT_EQ(Lines({ "aaaaaaa", "bbbb" }), Pieces("aaaaaaa bbbb", 8));
    // Further back than that, the edge itself (position 6) included: cut
    // hard at the limit.
    EXPECT_EQ(Lines({ "aaaaaa b", "bbb" }), Pieces("aaaaaa bbbb", 8));
    EXPECT_EQ(Lines({ "aaaaa bb", "bb" }), Pieces("aaaaa bbbb", 8));
    EXPECT_EQ(Lines({ "aaaa", "aaaa", "aa" }), Pieces("aaaaaaaaaa", 4));
    EXPECT_EQ(Lines({ "a", "a", "a" }), Pieces("aaa", 1));
}

// The limit counts bytes, and a hard cut backs off to the start of the
// character it would tear apart.
TEST(NextMessagePiece, Utf8CharactersAreNeverTornApart)
{
    EXPECT_EQ(Lines({ u8"пр", u8"ив", u8"ет" }), Pieces(u8"привет", 5));
    EXPECT_EQ(Lines({ u8"aп", u8"ри" }), Pieces(u8"aпри", 4));
    EXPECT_EQ(Lines({ u8"a✓", u8"✓" }), Pieces(u8"a✓✓", 5));
    EXPECT_EQ(Lines({ u8"a", u8"\U0001F600", u8"b" }), Pieces(u8"a\U0001F600b", 4));
    // A blank in the last quarter still wins, Cyrillic before it or not.
    EXPECT_EQ(Lines({ u8"аааа", u8"ббб" }), Pieces(u8"аааа ббб", 9));
    // A limit below 4 bytes may be too small for one character: the line
    // still goes out in pieces of the limit.
    EXPECT_EQ(Lines({ "\xf0\x9f", "\x98\x80" }), Pieces(u8"\U0001F600", 2));
}

TEST(PrivmsgTextLimit, RelayedLineStaysWithinTheServersLineLength)
{
    // ":" 30 "!" 10 "@" 63 " PRIVMSG #marketbay :" text "\r\n"
    EXPECT_EQ(383u, PrivmsgTextLimit(512, 10, 6));
    EXPECT_EQ(383u, PrivmsgTextLimit(512, 10, 30));
    EXPECT_EQ(373u, PrivmsgTextLimit(512, 10, 40));
    EXPECT_EQ(512u, 1 + 30 + 1 + 10 + 1 + 63 + 9 + 10 + 2 + PrivmsgTextLimit(512, 10, 6) + 2);
    // A server's LINELEN of 1024 takes 512 bytes more of text.
    EXPECT_EQ(895u, PrivmsgTextLimit(1024, 10, 6));
    // A target no server accepts still gets pieces of some size.
    EXPECT_EQ(64u, PrivmsgTextLimit(512, 1000, 6));
}

TEST(CutAtLineBreak, KeepsTheFirstLine)
{
    char text[] = "nick\r\nQUIT :gone", lineFeed[] = "pass\nword", plain[] = "plain text";
    for (char* field : { text, lineFeed, plain })
        CutAtLineBreak(field);
    EXPECT_STREQ("nick", text);
    EXPECT_STREQ("pass", lineFeed);
    EXPECT_STREQ("plain text", plain);
}

} // namespace
