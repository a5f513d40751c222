// The library's exports: plain C functions forwarding to the module object.
// No exception may cross into the host, which need not be C++ at all: each
// export catches everything and fails as its message would.
#include "include/talvo_irc.h"

#include "module/module.h"

void __cdecl Initialize(TalvoHostCallback callback, int32_t value1, int32_t value2, int32_t value3)
{
    try {
        g_module.Initialize(callback, value1, value2, value3);
    } catch (...) {
    }
}

int32_t __cdecl GetModuleInfo(ModuleInfo* buffer)
{
    try {
        return g_module.GetModuleInfo(buffer);
    } catch (...) {
        return 0;
    }
}

int32_t __cdecl ReceiveMessage(int32_t reserved1, int32_t code, void* payload, int32_t reserved2)
{
    try {
        return g_module.ReceiveMessage(reserved1, code, payload, reserved2);
    } catch (...) {
        return MM_FAILED;
    }
}
