// Lines without a prefix: the server's own NOTICE, PING and ERROR.
#include "protocol/line_handlers.h"

#include "protocol/chat_window.h"
#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"

#include <stdio.h>

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
        window.ReturnToLoginPanel();
    } else {
        window.PrintLine(conversation, "\r\n[command:%s] %s", line.command, line.params);
    }
}
