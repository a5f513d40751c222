// Cutting the received byte stream into lines. No Windows types: this is
// built natively too, for the sanitizer tests and the fuzzer.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Called with each completed line, which is the NUL-terminated text at the
// start of the line buffer. Returns false to stop taking the rest of the
// received bytes (the connection was ended by the line).
typedef bool (*LineHandler)(void* context);

// Appends received bytes to the pending line in `line` (capacity bytes, all
// bytes from lineLen on are zero) and returns the new pending length.
//
// A line feed completes the line: the handler runs, then the buffer is zeroed.
// A carriage return (or NUL) is stored as 0, so the text ends there while the
// bytes up to the line feed still count. A line longer than capacity - 1
// bytes keeps its first capacity - 1 bytes; the excess up to the line feed is
// dropped and never becomes a line of its own.
int32_t AppendReceivedBytes(char* line, size_t capacity, int32_t lineLen,
                            const char* bytes, int count,
                            LineHandler onLine, void* context);
