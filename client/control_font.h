// The Tahoma fonts of the tab control and the user list. The packed record
// has no room for them, so each control keeps its own in its user data (a
// window property would be read from the window server on every JOIN under
// Wine): made on first use, deleted when the window goes.
#pragma once

#include <windows.h>

// Sets the control's Tahoma 13 font of the given weight on it.
void SetTahomaFont(HWND control, int weight);

// Detaches the control's font and deletes it.
void ReleaseTahomaFont(HWND control);
