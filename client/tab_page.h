// A conversation's page under the tab control, and its output control.
#pragma once

#include <windows.h>

void RememberOutput(HWND page, HWND output);
HWND OutputOf(HWND page);
