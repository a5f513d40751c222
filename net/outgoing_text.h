// Text the user typed, made safe and small enough for the wire.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>

// Ends the text at its first carriage return or line feed. A field holds one
// line, and a line break inside a parameter would start a command of its own.
void CutAtLineBreak(char* text);

// The longest text one "PRIVMSG target :text" may carry so that the line the
// server relays, with its prefix ":nick!user@host " and "\r\n", stays within
// lineLength bytes (the server's LINELEN, 512 by default). The prefix is
// reserved at its longest (see the definition); a target too long for any
// server still gets a small piece.
size_t PrivmsgTextLimit(size_t lineLength, size_t targetLength, size_t nickLength);

// Takes the next piece of typed text, UTF-8, to send as one message and
// moves the cursor past it. Line breaks separate messages and empty lines are
// skipped; a line longer than limit bytes (> 0) is split, at a blank in the
// last quarter of the limit when there is one (that blank then belongs to
// neither piece), else at the last character boundary within the limit, so
// that the pieces of UTF-8 text are UTF-8 too. Only a limit shorter than
// the first character (under 4 bytes) cuts inside it.
// Returns false when nothing is left.
bool NextMessagePiece(const char** cursor, size_t limit, const char** piece, size_t* length);
