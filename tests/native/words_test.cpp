// Reading a rest word by word.
#include "protocol/words.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WordReader, WordsAndRemainder)
{
    WordReader reader("tester user host * :Real Name");
    char word[16];
    reader.Next(word, sizeof word);
    EXPECT_STREQ("tester", word);
    reader.Next(word, sizeof word);
    EXPECT_STREQ("user", word);
    reader.Skip();
    reader.Skip();
    EXPECT_STREQ(":Real Name", reader.Remainder());
}

TEST(WordReader, SingleSpacesMissingWordsAndLongWords)
{
    WordReader reader("a  b");
    char word[4] = "x";
    reader.Next(word, sizeof word);
    EXPECT_STREQ("a", word);
    reader.Next(word, sizeof word);
    EXPECT_STREQ("", word);
    EXPECT_STREQ("b", reader.Remainder());
    reader.Next(word, sizeof word);
    EXPECT_STREQ("b", word);
    EXPECT_STREQ("", reader.Remainder());
    reader.Next(word, sizeof word);
    EXPECT_STREQ("", word);

    const std::string text = std::string(50, 'w') + " rest";
    WordReader longWord(text.c_str());
    longWord.Next(word, sizeof word);
    EXPECT_STREQ("www", word);
    EXPECT_STREQ("rest", longWord.Remainder());
}

TEST(WordReader, SkipOne)
{
    EXPECT_STREQ("text", SkipOne(":text", ':'));
    EXPECT_STREQ(":text", SkipOne("::text", ':'));
    EXPECT_STREQ("text", SkipOne("text", ':'));
}

} // namespace
