// Entry point of the DLL.
#include "module/module.h"

HINSTANCE g_hModuleInstance;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    g_hModuleInstance = instance;
    return TRUE;
}
