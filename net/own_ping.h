// The PING a connection sends to learn whether a silent server is still
// there. Its answer is the connection's own business: no window shows it.
#pragma once

extern const char kOwnPingLine[];

// line (CR LF cut off) is the server's PONG to kOwnPingLine.
bool IsOwnPingAnswer(const char* line);
