// Token splitting and the byte-level text helpers of the line parser.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>

// Splits `line` into at most maxTokens tokens separated by spaces or tabs.
// A token may be quoted with '"' or '\'' (the quotes are not kept; a closing
// quote ends the token even when it is empty). Each token is written, cut to
// tokenSize - 1 bytes, into tokens[i]; token buffers that get no token are
// emptied. When exactly maxTokens were found and rest is given, the remainder
// of the line after the last token and the whitespace behind it is copied
// into rest (cut to restSize - 1 bytes), else rest is emptied.
// Returns the number of tokens found.
int SplitTokens(const char* line, char* const tokens[], size_t tokenSize,
                int maxTokens, char* rest, size_t restSize);

// Case-ignoring compare that folds only the ASCII letters; bytes of 128 and
// above (the Cyrillic letters of code page 1251) must match exactly.
bool EqualsIgnoringAsciiCase(const char* a, const char* b);

// Lowercases the ASCII letters A to Z in place; other bytes stay.
void LowerAsciiInPlace(char* text);

// Reads a command as a decimal number: optional leading whitespace and sign,
// then the digits up to the first non-digit. No digits read as 0; values
// beyond the int range are clamped rather than overflowing.
int ReadCommandNumber(const char* command);

// Copies at most size - 1 bytes of source and always terminates (size > 0).
void CopyText(char* target, size_t size, const char* source);
