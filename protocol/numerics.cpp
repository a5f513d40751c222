// Numeric replies of the server.
#include "client/irc_client.h"

#include "protocol/line_parser.h"

void CIrcClient::OnNumericReply(int, const ParsedLine&, HWND) {}
