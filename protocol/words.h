// Reading a line's rest word by word, as the handlers of received lines do.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>

// Cuts a text at single spaces: two spaces in a row give an empty word.
// Words that are not there read as empty, and so does the remainder.
class WordReader {
public:
    explicit WordReader(const char* text) : m_next(text) {}

    // Copies the next word into word (cut to size - 1 bytes) and moves past it.
    void Next(char* word, size_t size);
    // Moves past the next word.
    void Skip();
    // All of the text after the space that ended the last word taken.
    const char* Remainder() const { return m_next ? m_next : ""; }

private:
    // Null once the last word reached the end of the text.
    const char* m_next;
};

// The text without one leading character c, if it starts with it.
const char* SkipOne(const char* text, char c);
