// Lines without a prefix: the server's own NOTICE, PING, ERROR and
// AUTHENTICATE.
#include "protocol/line_handlers.h"

#include "protocol/chat_window.h"
#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"

#include <stdio.h>
#include <string.h>

namespace {

// A ban would refuse the next link too: its ERROR ends the session.
bool NamesBan(const char* reason)
{
    static const char* const kBanWords[] = { "k-lined", "g-lined", "z-lined", "banned" };
    char lowered[512];
    CopyText(lowered, sizeof lowered, reason);
    LowerAsciiInPlace(lowered);
    for (const char* word : kBanWords) {
        if (strstr(lowered, word))
            return true;
    }
    return false;
}

} // namespace

void HandleServerLine(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    if (EqualsIgnoringAsciiCase(line.command, "NOTICE")) {
        // An AUTH notice's text starts with "***", cut off as the third token;
        // the format puts it back.
        window.PrintLine(conversation, "\r\n%s-%s- *** %s", COLOUR_NOTICE, window.ServerName(), line.args);
    } else if (EqualsIgnoringAsciiCase(line.command, "PING")) {
        // The token is cut so that the answer stays one line of 512 bytes.
        const int tokenLimit = 512 - (int)(sizeof "PONG :\r\n" - 1);
        char pong[512 + 1];
        snprintf(pong, sizeof pong, "PONG :%.*s\r\n", tokenLimit, line.params);
        window.SendLine(pong);
    } else if (EqualsIgnoringAsciiCase(line.command, "ERROR")) {
        window.PrintLine(conversation, "\r\n%s*** %s", COLOUR_NOTICE, line.args);
        if (NamesBan(line.params))
            window.ReturnToLoginPanel();
        else
            window.OnServerError(line.args);
    } else if (EqualsIgnoringAsciiCase(line.command, "AUTHENTICATE")) {
        OnAuthenticate(window, line.params);
    } else {
        window.PrintLine(conversation, "\r\n[command:%s] %s", line.command, line.params);
    }
}
