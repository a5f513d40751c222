#include "support/output_reading.h"

#include <commdlg.h>
#include <stdio.h>

std::string StyleAt(HWND output, LONG position, DWORD effects)
{
    SendMessageA(output, EM_SETSEL, position, position + 1);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(output, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    const DWORD shown = format.dwEffects & effects;
    char style[64];
    snprintf(style, sizeof style, "%d,%d,%d%s%s", GetRValue(format.crTextColor), GetGValue(format.crTextColor),
             GetBValue(format.crTextColor), shown & CFE_BOLD ? " bold" : "",
             shown & CFE_UNDERLINE ? " underline" : "");
    return style;
}

std::string StyleOf(HWND output, const char* word, DWORD effects)
{
    // Searching the control keeps positions right however it stores line
    // breaks (RichEdit 2.0 keeps "\r\n" as one "\r").
    FINDTEXTA find = { { 0, -1 }, word };
    const LONG position = (LONG)SendMessageA(output, EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, (LPARAM)&find);
    if (position < 0)
        return std::string("no ") + word;
    return StyleAt(output, position, effects);
}
