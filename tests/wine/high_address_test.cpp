// The 64-bit interface (built for 64-bit only) with nothing below 4 GB: the
// process first reserves every free page under 4 GB, so the host's records,
// the stack of the thread that calls the module and every later allocation
// lie above it. A pointer that passes through 32 bits anywhere on the way
// loses its upper half and shows up here as a wrong address or a crash.
#include "client/control_ids.h"
#include "include/talvo_irc.h"
#include "support/irc_peer.h"
#include "support/message_pump.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const uint64_t kFourGigabytes = 0x100000000ull;

bool IsHigh(const void* address)
{
    return (uint64_t)(uintptr_t)address >= kFourGigabytes;
}

// Reserves every free region below 4 GB; returns the number of bytes taken.
uint64_t ReserveLowAddressSpace()
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const uint64_t granularity = system.dwAllocationGranularity;
    uint64_t reserved = 0;
    uint64_t address = granularity;
    MEMORY_BASIC_INFORMATION region;
    while (address < kFourGigabytes &&
           VirtualQuery((void*)(uintptr_t)address, &region, sizeof region) == sizeof region) {
        const uint64_t end = (uintptr_t)region.BaseAddress + (uint64_t)region.RegionSize;
        if (region.State == MEM_FREE) {
            // Reservations start on the allocation granularity.
            const uint64_t start = (address + granularity - 1) & ~(granularity - 1);
            const uint64_t stop = end < kFourGigabytes ? end : kFourGigabytes;
            if (start < stop && VirtualAlloc((void*)(uintptr_t)start, (SIZE_T)(stop - start), MEM_RESERVE,
                                             PAGE_NOACCESS))
                reserved += stop - start;
        }
        address = end;
    }
    return reserved;
}

struct HostCall {
    int calls = 0;
    int32_t hostValue2 = 0;
    int32_t code = 0;
    intptr_t payload = 0;
    WindowInterface component = {};
};
HostCall g_call;

int32_t __cdecl RecordHostCall(int32_t hostValue2, int32_t code, intptr_t payload, int32_t)
{
    ++g_call.calls;
    g_call.hostValue2 = hostValue2;
    g_call.code = code;
    g_call.payload = payload;
    memcpy(&g_call.component, (const void*)payload, sizeof g_call.component);
    return 0;
}

// The host's side of one session, run on a thread whose stack is above
// 4 GB: announce, create a window from a record above 4 GB, chat, destroy.
DWORD WINAPI RunHostSession(LPVOID)
{
    char stackMark = 0;
    EXPECT_TRUE(IsHigh(&stackMark)) << "the host thread's stack is at " << (void*)&stackMark;

    HMODULE library = LoadLibraryA("TalvoIrc.dll");
    EXPECT_TRUE(library != NULL);
    if (!library)
        return 1;
    auto initialize = TALVO_GET_PROC(TalvoInitializeProc, library, "Initialize");
    auto receiveMessage = TALVO_GET_PROC(TalvoReceiveMessageProc, library, "ReceiveMessage");

    // The record lives on the module's stack, which is this thread's.
    initialize(&RecordHostCall, 1, 2, 3);
    EXPECT_EQ(MM_OK, receiveMessage(0, MM_QUERY_COMPONENTS, NULL, 0));
    EXPECT_EQ(1, g_call.calls);
    EXPECT_EQ(MM_ADD_COMPONENT, g_call.code);
    EXPECT_TRUE(IsHigh((void*)g_call.payload)) << std::hex << g_call.payload;
    EXPECT_STREQ("Windowcomponent", g_call.component.szKind);
    EXPECT_EQ(3, g_call.component.hostValue3);
    MEMORY_BASIC_INFORMATION memory = {};
    VirtualQuery(g_call.component.pModule, &memory, sizeof memory);
    EXPECT_EQ((void*)library, memory.AllocationBase);

    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 760,
                                560, NULL, NULL, GetModuleHandleA(NULL), NULL);
    auto* record = (CreateWindowRecord*)VirtualAlloc(NULL, sizeof(CreateWindowRecord), MEM_COMMIT | MEM_RESERVE,
                                                     PAGE_READWRITE);
    EXPECT_TRUE(IsHigh(record)) << (void*)record;
    record->hParent = host;
    record->reserved = 0xa5a5a5a5;
    EXPECT_EQ(MM_OK, receiveMessage(0, MM_CREATE_WINDOW, record, 0));
    EXPECT_EQ(0xa5a5a5a5u, record->reserved) << "the module does not write the reserved field";
    HWND dialog = GetWindow(host, GW_CHILD);
    EXPECT_TRUE(dialog && IsWindowVisible(dialog));
    EXPECT_EQ(MM_OK, receiveMessage(0, MM_RESIZE_WINDOW, record->pWindow, 0));
    EXPECT_EQ(MM_OK, receiveMessage(0, MM_SHOW_WINDOW, record->pWindow, 0));

    // A short chat: the module's own allocations now come from above 4 GB.
    IrcPeer peer;
    EXPECT_TRUE(LogInToPeer(dialog, peer));
    peer.Send(":tester!u@h JOIN :#marketbay\r\n:anya!u@h PRIVMSG #marketbay :hello tester\r\nPING :high\r\n");
    EXPECT_TRUE(PumpUntil([&] { return peer.Received().find("PONG :high\r\n") != std::string::npos; }));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_INPUT))) << "the join reached the window";

    EXPECT_EQ(MM_OK, receiveMessage(0, MM_DESTROY_WINDOW, record->pWindow, 0));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(PumpUntil([&] { return peer.Received().find("QUIT") != std::string::npos; }));
    DestroyWindow(host);
    VirtualFree(record, 0, MEM_RELEASE);
    return 0;
}

TEST(HighAddresses, HostRecordsStacksAndTheModulesHeapAbove4GbKeepTheirWholeAddresses)
{
    EXPECT_GT(ReserveLowAddressSpace(), 0ull);
    EXPECT_TRUE(IsHigh(VirtualAlloc(NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)))
        << "nothing is left below 4 GB";

    // The socket library starts here, before the session needs it.
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    HANDLE thread = CreateThread(NULL, 1024 * 1024, &RunHostSession, NULL, 0, NULL);
    ASSERT_TRUE(thread != NULL);
    WaitForSingleObject(thread, INFINITE);
    DWORD result = 1;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    EXPECT_EQ(0u, result);
    WSACleanup();
}

} // namespace
