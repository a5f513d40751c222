// Message tags: a received line may start with a tag section,
// "@time=...;+draft/reply=42;vendor.example/key=esc\:aped ", before its
// prefix. The module reads no tag today; a line with tags is handled as the
// same line without them. No Windows types: built natively too.
#pragma once

#include <stddef.h>

// The line after its tag section and the one space that ends it; the line
// itself when it does not start with '@'; its end (an empty text) when it
// holds nothing but tags.
const char* SkipTagSection(const char* line);

// Writes the value of the tag `name` in the tag section that starts `line`
// into value (size bytes, size > 0), unescaped and cut to size - 1 bytes. A
// tag without a value, or with an empty one, has the empty value; of a tag
// named twice the last value counts. Returns false, value emptied, when
// the line has no such tag.
bool FindMessageTag(const char* line, const char* name, char* value, size_t size);

// Unescapes the `length` bytes of a tag's value as sent into value (size
// bytes, size > 0), cut to size - 1 bytes: "\:" is ';', "\s" a space, "\\"
// a backslash, "\r" and "\n" CR and LF, a backslash before any other
// character that character, and a lone backslash at the end goes. Returns
// the unescaped length, which never exceeds length.
size_t UnescapeTagValue(const char* raw, size_t length, char* value, size_t size);
