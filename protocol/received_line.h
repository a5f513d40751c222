// One received line through the handlers: judged, cut, its conversation
// chosen, dispatched to the handler of its command. No Windows types.
#pragma once

#include <stddef.h>

class IChatWindow;

// `line` is NUL-terminated in a buffer of `capacity` bytes; a torn
// character at the end of a full buffer is dropped from it.
void HandleReceivedLine(IChatWindow& window, char* line, size_t capacity);
