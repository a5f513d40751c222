// Channel membership events: JOIN, PART, QUIT, KICK, NICK, MODE, TOPIC.
#include "client/irc_client.h"

#include "protocol/line_parser.h"

void CIrcClient::OnJoin(const ParsedLine&, HWND) {}
void CIrcClient::OnKick(const ParsedLine&, HWND) {}
void CIrcClient::OnMode(const ParsedLine&, HWND) {}
void CIrcClient::OnNick(const ParsedLine&, HWND) {}
void CIrcClient::OnPart(const ParsedLine&, HWND) {}
void CIrcClient::OnQuit(const ParsedLine&, HWND) {}
void CIrcClient::OnTopic(const ParsedLine&, HWND) {}
