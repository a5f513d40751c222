// Figure 4b: the time from LoadLibrary of TalvoIrc.dll to a created, shown
// and painted chat window, as a host would do it, and the memory it costs.
//   start_time.exe
#include <winsock2.h>

#include "tools/host_kit.h"

#include <stdio.h>

int main()
{
    const double memoryBefore = CommittedPrivateMegabytes();
    LARGE_INTEGER frequency, start, loaded, shown;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    TalvoReceiveMessageProc receiveMessage = LoadModuleReceiver();
    if (!receiveMessage) {
        fprintf(stderr, "start_time: cannot load TalvoIrc.dll\n");
        return 1;
    }
    QueryPerformanceCounter(&loaded);
    CreateWindowRecord record;
    HWND dialog = CreateChatWindow(receiveMessage, "Talvo IRC start", true, record);
    if (!dialog) {
        fprintf(stderr, "start_time: no chat window\n");
        return 1;
    }
    UpdateWindow(record.hParent);
    QueryPerformanceCounter(&shown);

    const double toLoaded = (loaded.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    const double toShown = (shown.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    printf("start: %.1f MB more committed with the window\n", CommittedPrivateMegabytes() - memoryBefore);
    printf("start: LoadLibrary %.1f ms, to a shown and painted window %.1f ms\n", toLoaded, toShown);
    fflush(stdout);
    ExitProcess(0);
}
