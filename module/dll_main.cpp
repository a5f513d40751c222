// Entry point of the DLL, and the lifetime of the module object.
#include "module/module.h"

#include <new>

HINSTANCE g_hModuleInstance;

namespace {

// Inside the library's image, where a host finds it (pModule).
alignas(CSampleWidgetModule) unsigned char g_moduleStorage[sizeof(CSampleWidgetModule)];

} // namespace

// Made while the library loads. At process termination it is left alone:
// ExitProcess has already ended the other threads, perhaps holding the
// heap's lock (a sound or a name lookup under way), and DllMain's rules
// allow freeing only when the host unloads the library.
CSampleWidgetModule& g_module = *new (g_moduleStorage) CSampleWidgetModule;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    g_hModuleInstance = instance;
    if (reason == DLL_PROCESS_DETACH && !reserved)
        g_module.~CSampleWidgetModule();
    return TRUE;
}
