#include "protocol/words.h"

#include <string.h>

void WordReader::Next(char* word, size_t size)
{
    const char* start = m_next ? m_next : "";
    const char* space = strchr(start, ' ');
    const size_t length = space ? (size_t)(space - start) : strlen(start);
    if (size > 0) {
        const size_t kept = length < size - 1 ? length : size - 1;
        memcpy(word, start, kept);
        word[kept] = '\0';
    }
    m_next = space ? space + 1 : nullptr;
}

void WordReader::Skip()
{
    char ignored[1];
    Next(ignored, sizeof ignored);
}

const char* SkipOne(const char* text, char c)
{
    return text[0] == c ? text + 1 : text;
}
