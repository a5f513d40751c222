// The handlers of received lines, one family per file: each writes into the
// conversation the line chose and acts on the window.
#pragma once

class ChatWindow;
struct Conversation;
struct ParsedLine;

// Lines without a prefix (server_lines.cpp).
void HandleServerLine(ChatWindow& window, const ParsedLine& line, Conversation* conversation);

// Membership (membership.cpp).
void OnJoin(ChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnKick(ChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnMode(ChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnNick(ChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnPart(ChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnQuit(ChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnTopic(ChatWindow& window, const ParsedLine& line, Conversation* conversation);

// Messages and CTCP (messages.cpp).
void OnPrivmsg(ChatWindow& window, const ParsedLine& line, Conversation* conversation);
void OnNotice(ChatWindow& window, const ParsedLine& line, Conversation* conversation);

// Numeric replies (numerics.cpp).
void OnNumericReply(ChatWindow& window, int numeric, const ParsedLine& line, Conversation* conversation);
