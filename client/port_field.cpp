#include "client/port_field.h"

#include "client/login_rules.h"

#include <commctrl.h>

namespace {

const UINT_PTR kPortFilterId = 1;

// Typed characters only: control keys (backspace, the clipboard's Ctrl
// keys) pass, and a paste is read by ReadPort like anything else.
bool RefusesCharacter(HWND field, WPARAM typed)
{
    if (typed < ' ')
        return false;
    if (typed > 0x7f)
        return true;
    char text[256] = "";
    GetWindowTextA(field, text, sizeof text);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(field, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return !AcceptsPortCharacter(text, start, end, (char)typed);
}

LRESULT CALLBACK PortFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_CHAR && RefusesCharacter(field, wParam)) {
        MessageBeep(MB_OK);
        return 0;
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(field, &PortFieldProc, kPortFilterId);
    return DefSubclassProc(field, message, wParam, lParam);
}

} // namespace

void FilterPortTyping(HWND field)
{
    SetWindowSubclass(field, &PortFieldProc, kPortFilterId, 0);
}
