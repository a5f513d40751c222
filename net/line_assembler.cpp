#include "net/line_assembler.h"

#include <string.h>

int32_t AppendReceivedBytes(char* line, size_t capacity, int32_t lineLen,
                            const char* bytes, int count,
                            LineHandler onLine, void* context)
{
    const int32_t full = (int32_t)capacity - 1;
    if (lineLen < 0 || lineLen > full)
        lineLen = full;

    for (int i = 0; i < count; ++i) {
        const char byte = bytes[i];
        if (byte == '\n') {
            const bool goOn = onLine(context);
            memset(line, 0, capacity);
            lineLen = 0;
            if (!goOn)
                break;
            continue;
        }
        if (lineLen == full)
            continue;
        line[lineLen++] = (byte == '\r') ? '\0' : byte;
    }
    return lineLen;
}
