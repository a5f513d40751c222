#include "protocol/message_tags.h"

#include <string.h>

namespace {

// What the character after a backslash stands for in a tag's value.
char UnescapedCharacter(char escaped)
{
    switch (escaped) {
    case ':':
        return ';';
    case 's':
        return ' ';
    case 'r':
        return '\r';
    case 'n':
        return '\n';
    default:
        return escaped;
    }
}

} // namespace

const char* SkipTagSection(const char* line)
{
    if (line[0] != '@')
        return line;
    const char* space = strchr(line, ' ');
    return space ? space + 1 : line + strlen(line);
}

bool FindMessageTag(const char* line, const char* name, char* value, size_t size)
{
    value[0] = '\0';
    if (line[0] != '@')
        return false;
    const size_t nameLength = strlen(name);
    bool found = false;
    // Tags are split at ';' and the section ends at the first space.
    const char* tag = line + 1;
    for (;;) {
        const char* tagEnd = tag + strcspn(tag, "; ");
        const char* equals = static_cast<const char*>(memchr(tag, '=', (size_t)(tagEnd - tag)));
        const char* nameEnd = equals ? equals : tagEnd;
        if ((size_t)(nameEnd - tag) == nameLength && memcmp(tag, name, nameLength) == 0) {
            const char* raw = equals ? equals + 1 : tagEnd;
            UnescapeTagValue(raw, (size_t)(tagEnd - raw), value, size);
            found = true;
        }
        if (*tagEnd != ';')
            return found;
        tag = tagEnd + 1;
    }
}

size_t UnescapeTagValue(const char* raw, size_t length, char* value, size_t size)
{
    size_t written = 0;
    for (size_t at = 0; at < length && written + 1 < size; ++at) {
        char c = raw[at];
        if (c == '\\') {
            if (++at == length)
                break;
            c = UnescapedCharacter(raw[at]);
        }
        value[written++] = c;
    }
    value[written] = '\0';
    return written;
}
