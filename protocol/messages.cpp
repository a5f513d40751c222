// Messages and notices from users and services, CTCP included.
#include "client/irc_client.h"

#include "protocol/line_parser.h"

void CIrcClient::OnPrivmsg(const ParsedLine&, HWND) {}
void CIrcClient::OnNotice(const ParsedLine&, HWND) {}
