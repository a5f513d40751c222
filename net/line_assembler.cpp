#include "net/line_assembler.h"

#include "protocol/message_tags.h"

#include <string.h>

namespace {

// Makes room in a full buffer whose line starts with a tag section: a
// complete section is cut to "@ ", one still open is skipped from here on.
// Returns the new pending state.
int32_t ShedTagSection(char* line, int32_t full)
{
    const int32_t restAt = (int32_t)(SkipTagSection(line) - line);
    const bool ended = line[restAt - 1] == ' ';
    // Dropped: a section of "@ " already (the rest alone is too long), a
    // text that ended inside the tags, a buffer with no room for "@ ".
    if (restAt == 2 || (!ended && restAt < full) || full < 2) {
        memset(line, 0, (size_t)full);
        return kDroppingLine;
    }
    if (!ended) {
        memset(line + 1, 0, (size_t)full - 1);
        return kSkippingTagSection;
    }
    const int32_t shed = restAt - 2;
    memmove(line + 1, line + restAt - 1, (size_t)(full - restAt + 1));
    memset(line + full - shed, 0, (size_t)shed);
    return full - shed;
}

// Takes one byte other than a line feed into the pending line.
int32_t TakeByte(char* line, int32_t full, int32_t lineLen, char byte)
{
    const bool endsText = byte == '\r' || byte == '\0';
    // A carriage return after a full buffer loses nothing: the text ends there.
    if (lineLen == full && line[0] == '@' && !endsText)
        lineLen = ShedTagSection(line, full);
    if (lineLen == kSkippingTagSection) {
        if (byte == ' ') {
            line[1] = ' ';
            return 2;
        }
        if (!endsText)
            return lineLen;
        // The text ends inside the tags: a line of nothing but tags.
        line[0] = '\0';
        return kDroppingLine;
    }
    if (lineLen < 0 || lineLen == full)
        return lineLen;
    line[lineLen] = endsText ? '\0' : byte;
    return lineLen + 1;
}

} // namespace

int32_t AppendReceivedBytes(char* line, size_t capacity, int32_t lineLen,
                            const char* bytes, int count,
                            LineHandler onLine, void* context)
{
    const int32_t full = (int32_t)capacity - 1;
    if (lineLen < kDroppingLine || lineLen > full)
        lineLen = full;

    for (int i = 0; i < count; ++i) {
        const char byte = bytes[i];
        if (byte != '\n') {
            lineLen = TakeByte(line, full, lineLen, byte);
            continue;
        }
        const bool goOn = lineLen < 0 || onLine(context);
        memset(line, 0, capacity);
        lineLen = 0;
        if (!goOn)
            break;
    }
    return lineLen;
}
