#include "net/own_ping.h"

#include "protocol/tokens.h"

#include <string.h>

namespace {

const char kOwnPingToken[] = "talvo-liveness";

} // namespace

const char kOwnPingLine[] = "PING :talvo-liveness\r\n";

// Servers answer "[:server] PONG server :token", some without the server.
bool IsOwnPingAnswer(const char* line)
{
    if (line[0] == ':') {
        line = strchr(line, ' ');
        if (!line)
            return false;
        line += strspn(line, " ");
    }
    char command[5] = "";
    if (strcspn(line, " ") != 4)
        return false;
    memcpy(command, line, 4);
    if (!EqualsIgnoringAsciiCase(command, "PONG"))
        return false;
    const char* last = strrchr(line, ' ');
    if (last[1] == ':')
        ++last;
    return strcmp(last + 1, kOwnPingToken) == 0;
}
