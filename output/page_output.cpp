#include "output/page_output.h"

// The page keeps its output control in its dialog user slot: looking a child
// up by id asks the window server each time, and every received line needs
// its output control.
void RememberOutput(HWND page, HWND output)
{
    SetWindowLongPtrA(page, DWLP_USER, (LONG_PTR)output);
}

HWND OutputOf(HWND page)
{
    return page ? (HWND)GetWindowLongPtrA(page, DWLP_USER) : NULL;
}
