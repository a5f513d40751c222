#include "output/link_target.h"

#include <string.h>

namespace {

struct WebPrefix {
    const char* text;
    const char* added;
};

const WebPrefix kWebPrefixes[] = { { "http://", "" }, { "https://", "" }, { "www.", "http://" } };

bool StartsWithNoCase(const char* text, size_t length, const char* prefix)
{
    const size_t prefixLength = strlen(prefix);
    if (length < prefixLength)
        return false;
    for (size_t i = 0; i < prefixLength; ++i) {
        const char letter = text[i] >= 'A' && text[i] <= 'Z' ? (char)(text[i] - 'A' + 'a') : text[i];
        if (letter != prefix[i])
            return false;
    }
    return true;
}

// A blank or a quote would end the address where the shell parses it.
bool IsAddressCharacter(unsigned char character)
{
    return character > ' ' && character != 0x7f && character != '"' && character != '\'';
}

} // namespace

bool ChooseLinkTarget(const char* text, size_t length, char* target, size_t size)
{
    const WebPrefix* found = NULL;
    for (const WebPrefix& prefix : kWebPrefixes) {
        if (StartsWithNoCase(text, length, prefix.text) && length > strlen(prefix.text))
            found = &prefix;
    }
    if (!found)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (!IsAddressCharacter((unsigned char)text[i]))
            return false;
    }
    const size_t added = strlen(found->added);
    if (added + length >= size)
        return false;
    memcpy(target, found->added, added);
    memcpy(target + added, text, length);
    target[added + length] = '\0';
    return true;
}
