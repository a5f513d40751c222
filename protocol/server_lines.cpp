// Lines without a prefix: the server's own NOTICE, PING and ERROR.
#include "client/irc_client.h"

#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"

void CIrcClient::HandleServerLine(const ParsedLine& line, HWND output)
{
    if (EqualsIgnoringAsciiCase(line.command, "NOTICE")) {
        // An AUTH notice's text starts with "***", cut off as the third token;
        // the format puts it back.
        PrintLine(output, "\r\n%s-%s- *** %s", COLOUR_NOTICE, m_szServer, line.args);
    } else if (EqualsIgnoringAsciiCase(line.command, "PING")) {
        // The token is cut so that the answer stays one line of 512 bytes.
        const int tokenLimit = 512 - (int)(sizeof "PONG :\r\n" - 1);
        SendLine("PONG :%.*s\r\n", tokenLimit, line.params);
    } else if (EqualsIgnoringAsciiCase(line.command, "ERROR")) {
        PrintLine(output, "\r\n%s*** %s", COLOUR_NOTICE, line.args);
        ClearUserList();
        ResetTabs(false);
        ResetToLogin();
        m_showTabsPending = 1;
    } else {
        PrintLine(output, "\r\n[command:%s] %s", line.command, line.params);
    }
}
