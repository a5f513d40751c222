// What the user typed, read as it goes on the wire: UTF-8. The login fields
// are plain edits holding code page 1251; the input line is a rich-edit
// control read and written as UTF-8, so that a nick put in from the user
// list keeps the bytes the server wrote it with.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <string>

// A login field's text up to its first line break (at most fieldLimit - 1
// characters) in UTF-8, which takes up to three bytes a character.
void ReadWireField(HWND field, char* text, size_t size, int fieldLimit = 1024);

std::string ReadInputText(HWND input);

// Replaces the input line's selection (the caret, usually) with the UTF-8
// text, every combining mark on a base (output/combining_marks.h).
void InsertInputText(HWND input, const char* text);
