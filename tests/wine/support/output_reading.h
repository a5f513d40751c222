// The character format of a chat output control (a rich edit), read back as
// text the tests compare.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <string>

// "r,g,b" of the character at `position`, followed by " bold" and
// " underline" where the character has them and `effects` names them.
std::string StyleAt(HWND output, LONG position, DWORD effects = CFE_BOLD | CFE_UNDERLINE);

// The same for the first character of the first occurrence of `word`, or
// "no <word>" when the control does not hold it.
std::string StyleOf(HWND output, const char* word, DWORD effects = CFE_BOLD | CFE_UNDERLINE);
