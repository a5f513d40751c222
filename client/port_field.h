// The port field takes digits and one leading '+' (TLS) as they are typed.
#pragma once

#include <windows.h>

// Subclasses the edit control for as long as it lives.
void FilterPortTyping(HWND field);
