#include "client/message_box.h"

#include <windows.h>

namespace {

MessageBoxHook g_hook;

} // namespace

void ShowMessageBox(const char* text, const char* caption)
{
    if (g_hook)
        g_hook(text, caption);
    else
        MessageBoxA(NULL, text, caption, MB_OK);
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    g_hook = hook;
}
