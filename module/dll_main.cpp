// Entry point of the DLL.
#include <windows.h>

HINSTANCE g_hModuleInstance;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_hModuleInstance = instance;
    return TRUE;
}
