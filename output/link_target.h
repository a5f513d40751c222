// What a clicked link in a conversation may open: a web address only. A
// server's text is not to be trusted, and the shell opens any path or
// scheme given to it (file:, a share, a program). No Windows types: built
// natively too.
#pragma once

#include <stddef.h>

// Writes into `target` (at most `size` bytes with its NUL) the address the
// browser is to open for the link text `text` of `length` bytes: one that
// starts with "http://", "https://" or "www." (any case; "www." gets
// "http://" in front) and holds no control character, space or quote.
// Any other link, or one that does not fit, gives false.
bool ChooseLinkTarget(const char* text, size_t length, char* target, size_t size);
