// A left click on a link in a conversation's output opens it in the
// browser, when it is a web address (output/link_target.h).
#pragma once

#include <windows.h>

// How the address is opened: ShellExecuteA, or a test's stand-in that
// records what would open.
extern HINSTANCE(WINAPI* g_pfnShellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// The dialog procedure of a conversation's page: its output control tells
// the page, its parent, of clicks on links.
INT_PTR CALLBACK ConversationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
