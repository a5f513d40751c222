#include "client/typed_text.h"

#include "net/outgoing_text.h"
#include "protocol/wire_text.h"
#include "output/combining_marks.h"

#include <richedit.h>
#include <string.h>

void ReadWireField(HWND field, char* text, size_t size, int fieldLimit)
{
    char typed[1024] = "";
    GetWindowTextA(field, typed, fieldLimit < (int)sizeof typed ? fieldLimit : (int)sizeof typed);
    CutAtLineBreak(typed);
    Cp1251ToUtf8(typed, strlen(typed), text, size);
}

std::string ReadInputText(HWND input)
{
    GETTEXTLENGTHEX length = { GTL_NUMBYTES | GTL_PRECISE, CP_UTF8 };
    const LRESULT bytes = SendMessageA(input, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
    if (bytes <= 0)
        return std::string();
    std::string text((size_t)bytes + 1, '\0');
    GETTEXTEX request = {};
    request.cb = (DWORD)text.size();
    request.flags = GT_DEFAULT;
    request.codepage = CP_UTF8;
    const LRESULT copied = SendMessageA(input, EM_GETTEXTEX, (WPARAM)&request, (LPARAM)&text[0]);
    text.resize(copied > 0 ? (size_t)copied : 0);
    return text;
}

// Text from the wire or the clipboard: a combining mark gets a base of its
// own, and text that begins "{\rtf" goes in as text, not as rich text, which
// EM_SETTEXTEX would make of it.
void InsertInputText(HWND input, const char* text)
{
    const std::string guarded = GuardCombiningMarks(text, strlen(text));
    SETTEXTEX request = { ST_SELECTION, CP_UTF8 };
    const size_t split = guarded[0] == '{' ? 1 : 0;
    if (split)
        SendMessageA(input, EM_SETTEXTEX, (WPARAM)&request, (LPARAM)"{");
    SendMessageA(input, EM_SETTEXTEX, (WPARAM)&request, (LPARAM)(guarded.c_str() + split));
}
