// Rich text (RTF) into and out of a rich-edit control, through its stream
// messages.
#pragma once

#include <windows.h>

#include <string>

// Inserts `richText` at the end of the control's text.
void AppendRichText(HWND control, const std::string& richText);

// The characters from `from` up to `to`, with their formats.
std::string ReadRichText(HWND control, LONG from, LONG to);
