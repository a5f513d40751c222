#include "client/input_paste.h"

#include "client/typed_text.h"

#include <richedit.h>

#include <string>

namespace {

WNDPROC g_richEditProc;

bool IsPasteKey(WPARAM key)
{
    const bool control = GetKeyState(VK_CONTROL) < 0;
    return (control && key == 'V') || (!control && GetKeyState(VK_SHIFT) < 0 && key == VK_INSERT);
}

std::string ReadClipboardText(HWND owner)
{
    std::string text;
    if (!OpenClipboard(owner))
        return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* wide = data ? (const wchar_t*)GlobalLock(data) : nullptr;
    if (wide) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (size > 1) {
            text.resize((size_t)size);
            const int written = WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
            text.resize(written > 0 ? (size_t)written - 1 : 0);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// The system calls this: no exception may leave it.
LRESULT CALLBACK InputProc(HWND input, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_PASTE || message == EM_PASTESPECIAL || (message == WM_KEYDOWN && IsPasteKey(wParam))) {
            const std::string text = ReadClipboardText(input);
            if (!text.empty())
                InsertInputText(input, text.c_str());
            return 0;
        }
    } catch (...) {
        return 0;
    }
    return CallWindowProcA(g_richEditProc, input, message, wParam, lParam);
}

} // namespace

void TakeOverInputPastes(HWND input)
{
    WNDPROC own = (WNDPROC)SetWindowLongPtrA(input, GWLP_WNDPROC, (LONG_PTR)&InputProc);
    if (own != &InputProc)
        g_richEditProc = own;
}
