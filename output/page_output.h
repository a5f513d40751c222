// A conversation's page under the tab control, and its output control:
// the output side replaces a control that grew too long.
#pragma once

#include <windows.h>

void RememberOutput(HWND page, HWND output);
HWND OutputOf(HWND page);
