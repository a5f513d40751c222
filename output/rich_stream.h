// Rich text (RTF) into and out of a rich-edit control, through its stream
// messages.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <string>

// Inserts `richText` at the end of the control's text.
void AppendRichText(HWND control, const std::string& richText);

// The characters from `from` up to `to`, with their formats. Throws what
// keeping them threw (std::bad_alloc), once the control has returned: no
// caller goes on with part of the text.
std::string ReadRichText(HWND control, LONG from, LONG to);

// Keeps bytes the control writes out. Tests put one of their own here.
extern void (*g_pfnKeepWrittenRichText)(std::string& richText, const char* bytes, size_t count);
