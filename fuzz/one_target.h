// The fuzzers' own reading of a nick an answer may go to: one target, so
// neither empty, nor led by ':', nor holding a blank, a comma or a line break.
#pragma once

#include <string.h>

inline bool IsOneTarget(const char* nick)
{
    return nick[0] != '\0' && nick[0] != ':' && strcspn(nick, " ,\r\n") == strlen(nick);
}
