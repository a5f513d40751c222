// The tick count the outgoing queue paces its lines by and the TLS
// handshake's time limit is counted in: GetTickCount, or a clock of a
// test's own, so that a test can step through the pace and the limit.
#pragma once

#include <windows.h>

extern DWORD(WINAPI* g_pfnSendTicks)();
