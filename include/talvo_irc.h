/* Talvo Irc: the chat module's interface for host applications.
 *
 * A host loads TalvoIrc.dll, finds the three exports below by name and
 * drives the module through ReceiveMessage. All calls come from the host's
 * user-interface thread. The host owns every record it passes in.
 *
 * The DLL comes in two builds from the same sources: 32-bit (PE32, i386) and
 * 64-bit (PE32+, x86-64); a host loads the one of its own kind. Every record
 * is byte-packed and little-endian, with the same fields in the same order
 * in both; pointer and handle fields are as wide as the host's pointers (4
 * or 8 bytes), and so is the callback's payload argument. Sizes and offsets:
 *
 *   record               32-bit              64-bit
 *   ModuleInfo           2315                2315
 *   WindowInterface      773, pModule at 769 777, pModule at 769
 *   CreateWindowRecord   12: hParent 0,      20: hParent 0,
 *                        reserved 4,         reserved 8,
 *                        pWindow 8           pWindow 12
 *   TalvoNameBuffer      512                 512
 *   TalvoNameBufferW     1012                1012
 */
#ifndef TALVO_IRC_H
#define TALVO_IRC_H

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#define TALVO_STATIC_ASSERT(condition, what) static_assert(condition, what)
#else
#define TALVO_STATIC_ASSERT(condition, what) _Static_assert(condition, what)
#endif

#ifdef TALVO_IRC_EXPORTS
#define TALVO_IRC_API __declspec(dllexport)
#else
#define TALVO_IRC_API __declspec(dllimport)
#endif

/* Host message codes, passed as ReceiveMessage's code (or, for
 * MM_ADD_COMPONENT, as the callback's second argument). */
enum TalvoHostMessage {
    /* Module to host, through the callback: payload is a WindowInterface*
     * valid only during the call. The callback's result is ignored. */
    MM_ADD_COMPONENT = 3000,
    /* Asks the module to announce its window component with
     * MM_ADD_COMPONENT. Payload not read. Result MM_OK, also when no
     * callback was given yet (then nothing is announced). */
    MM_QUERY_COMPONENTS = 3007,
    /* Payload: TalvoNameBuffer*. The module writes its name and zeroes the
     * trailing 12 bytes. Result MM_FAILED for a null payload. */
    MM_GET_NAME = 5001,
    /* Payload: CreateWindowRecord*. Creates and shows a chat window as a
     * child of hParent and writes its handle into pWindow. Result
     * MM_FAILED for a null payload or when creation failed. */
    MM_CREATE_WINDOW = 5003,
    /* Payload: the window handle from MM_CREATE_WINDOW. Logs out if needed
     * and destroys the window; the handle is invalid afterwards. A window
     * whose parent the host destroys first goes with it in the same way;
     * this message then fails (MM_FAILED). */
    MM_DESTROY_WINDOW = 5004,
    /* Payload: the window handle. Fits the window to its parent's client
     * area; send it whenever the parent's size changes. */
    MM_RESIZE_WINDOW = 5005,
    /* Payload: the window handle. Shows the window. */
    MM_SHOW_WINDOW = 5011,
    /* Payload: TalvoNameBufferW*. As MM_GET_NAME, in UTF-16. */
    MM_GET_NAME_W = 5022
};

/* Results of ReceiveMessage. Codes the module does not know give MM_OK.
 * MM_FAILED means the payload was missing or the window handle is not one
 * of the module's live windows (MM_DESTROY_WINDOW, MM_RESIZE_WINDOW,
 * MM_SHOW_WINDOW). */
enum TalvoMessageResult {
    MM_OK = 0,
    MM_FAILED = 1
};

#pragma pack(push, 1)

/* Filled by GetModuleInfo. Names are NUL-terminated (at most 254
 * characters); the four integers are host-defined values the module only
 * reports (2, 0, 1, 4); every other byte is 0. */
typedef struct ModuleInfo {
    char szName[255];
    char szName2[255];
    char reserved1[769];
    int32_t values[4];
    char reserved2[1020];
} ModuleInfo;

/* Payload of MM_ADD_COMPONENT. Strings are NUL-padded: kind
 * "Windowcomponent", owner "Talvo Irc", name "MyWindow". */
typedef struct WindowInterface {
    char szKind[255];
    char szOwner[255];
    char szName[255];
    int32_t hostValue3;     /* Initialize's value3 */
    void* pModule;          /* opaque identifier of the module, pointer-sized */
} WindowInterface;

/* Payload of MM_CREATE_WINDOW. */
typedef struct CreateWindowRecord {
    HWND hParent;           /* host to module: parent of the chat window */
    uint32_t reserved;      /* not read; 4 bytes in both builds */
    void* pWindow;          /* module to host: the new window's handle */
} CreateWindowRecord;

/* Payloads of MM_GET_NAME and MM_GET_NAME_W. */
typedef struct TalvoNameBuffer {
    char szName[500];
    char reserved[12];
} TalvoNameBuffer;

typedef struct TalvoNameBufferW {
    WCHAR szName[500];
    char reserved[12];
} TalvoNameBufferW;

#pragma pack(pop)

#if defined(_WIN64)
#define TALVO_POINTER_SIZE 8
#else
#define TALVO_POINTER_SIZE 4
#endif
TALVO_STATIC_ASSERT(sizeof(void*) == TALVO_POINTER_SIZE && sizeof(HWND) == TALVO_POINTER_SIZE,
                    "pointers and handles are 4 bytes in the 32-bit build, 8 in the 64-bit one");
TALVO_STATIC_ASSERT(sizeof(ModuleInfo) == 2315, "ModuleInfo size");
TALVO_STATIC_ASSERT(offsetof(ModuleInfo, szName2) == 255, "ModuleInfo.szName2 offset");
TALVO_STATIC_ASSERT(offsetof(ModuleInfo, values) == 1279, "ModuleInfo.values offset");
TALVO_STATIC_ASSERT(offsetof(ModuleInfo, reserved2) == 1295, "ModuleInfo.reserved2 offset");
TALVO_STATIC_ASSERT(sizeof(WindowInterface) == 769 + TALVO_POINTER_SIZE, "WindowInterface size");
TALVO_STATIC_ASSERT(offsetof(WindowInterface, szOwner) == 255, "WindowInterface.szOwner offset");
TALVO_STATIC_ASSERT(offsetof(WindowInterface, szName) == 510, "WindowInterface.szName offset");
TALVO_STATIC_ASSERT(offsetof(WindowInterface, hostValue3) == 765, "WindowInterface.hostValue3 offset");
TALVO_STATIC_ASSERT(offsetof(WindowInterface, pModule) == 769, "WindowInterface.pModule offset");
TALVO_STATIC_ASSERT(sizeof(CreateWindowRecord) == 4 + 2 * TALVO_POINTER_SIZE, "CreateWindowRecord size");
TALVO_STATIC_ASSERT(offsetof(CreateWindowRecord, reserved) == TALVO_POINTER_SIZE,
                    "CreateWindowRecord.reserved offset");
TALVO_STATIC_ASSERT(offsetof(CreateWindowRecord, pWindow) == 4 + TALVO_POINTER_SIZE,
                    "CreateWindowRecord.pWindow offset");
TALVO_STATIC_ASSERT(sizeof(TalvoNameBuffer) == 512, "TalvoNameBuffer size");
TALVO_STATIC_ASSERT(sizeof(TalvoNameBufferW) == 1012, "TalvoNameBufferW size");

/* The host's callback. The module calls it with (Initialize's value2,
 * MM_ADD_COMPONENT, address of a WindowInterface, 0). The payload is
 * pointer-sized: 32 bits in the 32-bit build, 64 in the 64-bit one. */
typedef int32_t (__cdecl *TalvoHostCallback)(int32_t hostValue2, int32_t code, intptr_t payload,
                                              int32_t reserved);

/* Hands the module the callback and three host values: value1 is kept,
 * value2 comes back as the callback's first argument, value3 inside
 * WindowInterface. Until it is called the module never calls the host. */
TALVO_IRC_API void __cdecl Initialize(TalvoHostCallback callback, int32_t value1, int32_t value2,
                                      int32_t value3);

/* Copies the 2315-byte ModuleInfo into buffer unless it is null. Always 0. */
TALVO_IRC_API int32_t __cdecl GetModuleInfo(ModuleInfo* buffer);

/* One host message; reserved1 and reserved2 are not read. Returns a
 * TalvoMessageResult. */
TALVO_IRC_API int32_t __cdecl ReceiveMessage(int32_t reserved1, int32_t code, void* payload,
                                             int32_t reserved2);

/* The same, as GetProcAddress finds them. */
typedef void (__cdecl *TalvoInitializeProc)(TalvoHostCallback, int32_t, int32_t, int32_t);
typedef int32_t (__cdecl *TalvoGetModuleInfoProc)(ModuleInfo*);
typedef int32_t (__cdecl *TalvoReceiveMessageProc)(int32_t, int32_t, void*, int32_t);

/* Looks an export up by name, e.g.
 *   TALVO_GET_PROC(TalvoReceiveMessageProc, library, "ReceiveMessage").
 * The detour through a generic function pointer keeps compilers from
 * warning about the cast from FARPROC. */
#define TALVO_GET_PROC(type, library, name) ((type)(void (*)(void))GetProcAddress((library), (name)))

#undef TALVO_STATIC_ASSERT
#undef TALVO_POINTER_SIZE

#ifdef __cplusplus
}
#endif

#endif /* TALVO_IRC_H */
