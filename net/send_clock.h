// The tick count the outgoing queue paces its lines by: GetTickCount, or a
// clock of a test's own, so that a test can step through the pace.
#pragma once

#include <windows.h>

extern DWORD(WINAPI* g_pfnSendTicks)();
