#include "output/link_click.h"

#include "output/link_target.h"

#include <objbase.h>
#include <richedit.h>
#include <shellapi.h>

HINSTANCE(WINAPI* g_pfnShellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = &ShellExecuteA;

namespace {

// Longer links are not opened: no browser takes them either.
constexpr LONG kMaxLinkCharacters = 2048;

// The shell may hand the address to extensions that need COM on the
// calling thread; a host that set COM up its own way keeps it.
void OpenInBrowser(HWND owner, const char* address)
{
    const HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    g_pfnShellExecute(owner, "open", address, NULL, NULL, SW_SHOWNORMAL);
    if (SUCCEEDED(com))
        CoUninitialize();
}

// A button let go at the end of a selection dragged over the link is no
// click on it: the reader is copying.
void OnLinkClicked(HWND page, const ENLINK& link)
{
    HWND output = link.nmhdr.hwndFrom;
    const CHARRANGE range = link.chrg;
    CHARRANGE selection = {};
    SendMessageA(output, EM_EXGETSEL, 0, (LPARAM)&selection);
    if (selection.cpMin != selection.cpMax || range.cpMin < 0 || range.cpMax <= range.cpMin ||
        range.cpMax - range.cpMin > kMaxLinkCharacters)
        return;
    // An ANSI control gives code-page bytes, two at most a character.
    char text[2 * kMaxLinkCharacters + 2];
    TEXTRANGEA request = { range, text };
    const LRESULT length = SendMessageA(output, EM_GETTEXTRANGE, 0, (LPARAM)&request);
    char address[sizeof text + 8];
    if (length > 0 && ChooseLinkTarget(text, (size_t)length, address, sizeof address))
        OpenInBrowser(GetAncestor(page, GA_ROOT), address);
}

} // namespace

INT_PTR CALLBACK ConversationPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_NOTIFY || ((const NMHDR*)lParam)->code != EN_LINK)
        return FALSE;
    const ENLINK& link = *(const ENLINK*)lParam;
    if (link.msg == WM_LBUTTONUP)
        OnLinkClicked(page, link);
    return FALSE;
}
