// Cutting the received byte stream into lines. No Windows types: this is
// built natively too, for the sanitizer tests and the fuzzer.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Called with each completed line, which is the NUL-terminated text at the
// start of the line buffer. Returns false to stop taking the rest of the
// received bytes (the connection was ended by the line).
typedef bool (*LineHandler)(void* context);

// The pending length below zero: bytes of the line are being passed over.
enum : int32_t {
    // Inside a tag section too long for the buffer, which holds "@" alone;
    // the section's end, its space, is stored after it.
    kSkippingTagSection = -1,
    // A line that is dropped whole up to its line feed; the buffer is empty.
    kDroppingLine = -2,
};

// Appends received bytes to the pending line in `line` (capacity bytes, all
// bytes from lineLen on are zero) and returns the new pending length, or
// one of the states above.
//
// A line feed completes the line: the handler runs, then the buffer is zeroed.
// A carriage return (or NUL) is stored as 0, so the text ends there while the
// bytes up to the line feed still count. A line longer than capacity - 1
// bytes keeps its first capacity - 1 bytes; the excess up to the line feed is
// dropped and never becomes a line of its own.
//
// A line that starts with a tag section ('@' up to a space) gives up its
// tags when it outgrows the buffer: they become an empty section ("@ "),
// and a section that has not ended by then is skipped as it arrives. The
// rest of the line then goes into the buffer whole; when even the rest does
// not fit, or the text ends inside the skipped section, the whole line is
// dropped and the handler never sees it. Any other lineLen out of range is
// taken as a full buffer.
int32_t AppendReceivedBytes(char* line, size_t capacity, int32_t lineLen,
                            const char* bytes, int count,
                            LineHandler onLine, void* context);
