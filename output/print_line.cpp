// Writing one formatted line into a conversation's output control.
#include "client/irc_client.h"

#include <stdarg.h>
#include <stdio.h>

void CIrcClient::PrintLine(HWND output, const char* format, ...)
{
    ShowWindow(output, SW_SHOWNORMAL);
    if (!format)
        return;
    char text[8192];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    SendMessageA(output, EM_SETSEL, 0x7fffffff, 0x7fffffff);
    SendMessageA(output, EM_REPLACESEL, FALSE, (LPARAM)text);
    SendMessageA(output, WM_VSCROLL, SB_BOTTOM, 0);
}
