// The handlers of received lines, one family per file: each writes into the
// conversation the line chose and acts on the window.
#pragma once

class IChatWindow;
struct Conversation;
struct ParsedLine;

// Lines without a prefix (server_lines.cpp).
void HandleServerLine(IChatWindow& window, const ParsedLine& line, Conversation* conversation);

// Membership (membership.cpp).
void OnJoin(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnKick(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnMode(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnNick(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnPart(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnQuit(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnTopic(IChatWindow& window, const ParsedLine& line, Conversation* conversation);

// Messages and CTCP (messages.cpp).
void OnPrivmsg(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnNotice(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
// A message or notice, CTCP included, from a nick the user ignores.
bool IsIgnoredMessage(IChatWindow& window, const ParsedLine& line);

// Capability negotiation and SASL (capability_lines.cpp). The challenge is
// the AUTHENTICATE line's parameter; GiveUpSasl ends an exchange that took
// too long.
void OnCap(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnAuthenticateLine(IChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnAuthenticate(IChatWindow& window, const char* challenge);
void OnSaslNumeric(IChatWindow& window, int numeric);
void GiveUpSasl(IChatWindow& window);

// Numeric replies (numerics.cpp).
void OnNumericReply(IChatWindow& window, int numeric, const ParsedLine& line, Conversation* conversation);

// Registration of a link that replaces a dropped one (reconnect_login.cpp):
// a nick refused before the welcome (432, 433; taken for 433) gets a stand-in.
void OnNickRefusedAtReconnect(IChatWindow& window, const ParsedLine& line, bool taken);
