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
    // Further back than that: cut hard at the limit.
    EXPECT_EQ(Lines({ "aaaaa bb", "bb" }), Pieces("aaaaa bbbb", 8));
    EXPECT_EQ(Lines({ "aaaa", "aaaa", "aa" }), Pieces("aaaaaaaaaa", 4));
    EXPECT_EQ(Lines({ "a", "a", "a" }), Pieces("aaa", 1));
    // Single-byte cp1251 letters are never torn apart.
    EXPECT_EQ(Lines({ "\xef\xf0\xe8", "\xe2\xe5\xf2" }), Pieces("\xef\xf0\xe8\xe2\xe5\xf2", 3));
}

TEST(PrivmsgTextLimit, RelayedLineStaysWithin512Bytes)
{
    // ":" 30 "!" 10 "@" 63 " PRIVMSG #marketbay :" text "\r\n"
    EXPECT_EQ(383u, PrivmsgTextLimit(10, 6));
    EXPECT_EQ(383u, PrivmsgTextLimit(10, 30));
    EXPECT_EQ(373u, PrivmsgTextLimit(10, 40));
    EXPECT_EQ(512u, 1 + 30 + 1 + 10 + 1 + 63 + 9 + 10 + 2 + PrivmsgTextLimit(10, 6) + 2);
    // A target no server accepts still gets pieces of some size.
    EXPECT_EQ(64u, PrivmsgTextLimit(1000, 6));
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
