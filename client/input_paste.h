// Pastes into the input line. The module pastes the clipboard's plain text
// itself, through InsertInputText, so that a combining mark with no base
// (which crashes Wine's shaping, see output/combining_marks.h) never reaches
// the control bare.
#pragma once

#include <windows.h>

// Takes over the input line's pastes: WM_PASTE, EM_PASTESPECIAL, Ctrl+V and
// Shift+Insert.
void TakeOverInputPastes(HWND input);
