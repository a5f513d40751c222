// The module's side of the benchmarks: a host that loads TalvoIrc.dll by its
// exports, shows a chat window, logs it in to the loopback peer of
// bench/traffic_peer.py and waits until the traffic the peer sends is shown.
//
//   chat_bench.exe burst  PORT_FILE [--profile]   waits for "burst-end"
//   chat_bench.exe names  PORT_FILE               waits for "names-end", prints the user list size
//   chat_bench.exe memory PORT_FILE LINES         waits for "burst-end", prints the committed
//                                                 memory's peak over the first and the last
//                                                 fifth of the lines and over all, and at the end
//   chat_bench.exe handshake PORT_FILE            waits for the server tab to say TLS is established
//
// Prints "start EPOCH" (wall clock, seconds) when it presses "Зайти" and
// "done EPOCH" when the last line is in the channel's output control (the
// handshake's line in the server tab's); the scripts subtract the peer's
// first-byte time, or the start for the handshake.
// With --profile a sampling thread reads where the window's thread is, once
// a millisecond, and the module each sample falls in is counted.
#include <winsock2.h>

#include "client/control_ids.h"
#include "net/tls_records.h"
#include "tools/host_kit.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <richedit.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>

namespace {

const char kNick[] = "bencher";
const DWORD kLimitMs = 30 * 60 * 1000;

double WallClockSeconds()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = (unsigned long long)now.dwHighDateTime << 32 | now.dwLowDateTime;
    return (ticks - 116444736000000000ull) / 1e7;  // from 1601 to 1970, in 100 ns
}

unsigned short ReadPort(const char* path)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(20)) {
        FILE* file = fopen(path, "r");
        unsigned port = 0;
        if (file) {
            const int read = fscanf(file, "%u", &port);
            fclose(file);
            if (read == 1 && port > 0 && port < 65536)
                return (unsigned short)port;
        }
    }
    return 0;
}

// The text's length in characters, where its last characters are.
LONG TextEnd(HWND output)
{
    GETTEXTLENGTHEX length = { GTL_NUMCHARS | GTL_PRECISE, CP_ACP };
    return (LONG)SendMessageA(output, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
}

// The output control whose last characters (or any, with `anywhere`) hold
// `marker`.
struct MarkerSearch {
    const char* marker;
    bool anywhere;
    HWND found;
};

BOOL CALLBACK FindMarker(HWND window, LPARAM context)
{
    MarkerSearch& search = *(MarkerSearch*)context;
    if (GetDlgCtrlID(window) != IDC_OUTPUT)
        return TRUE;
    const LONG end = TextEnd(window);
    FINDTEXTA find = { { search.anywhere || end <= 64 ? 0 : end - 64, -1 }, search.marker };
    if (SendMessageA(window, EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, (LPARAM)&find) >= 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// The highest line number at the end of any output control: traffic lines
// end with their number.
BOOL CALLBACK FindLastNumber(HWND window, LPARAM context)
{
    long& highest = *(long*)context;
    if (GetDlgCtrlID(window) != IDC_OUTPUT)
        return TRUE;
    const LONG end = TextEnd(window);
    char tail[32] = "";
    TEXTRANGEA range = { { end > 16 ? end - 16 : 0, end }, tail };
    SendMessageA(window, EM_GETTEXTRANGE, 0, (LPARAM)&range);
    const char* digits = tail + strlen(tail);
    while (digits > tail && digits[-1] >= '0' && digits[-1] <= '9')
        --digits;
    const long number = atol(digits);
    if (number > highest)
        highest = number;
    return TRUE;
}

// The committed memory at its peak over the first fifth of the traffic,
// over the last fifth, and over all of it, sampled by a thread of its own:
// during a burst the window's thread does little else than read. A peak
// over a stretch is taken rather than one reading, because the channel's
// control holds between its shown lines and a block more.
class MemoryWatch {
public:
    MemoryWatch(HWND dialog, long lines) : m_hDialog(dialog), m_firstFifth(lines / 5), m_lastFifth(lines - lines / 5) {}

    void Start() { m_worker = CreateThread(NULL, 0, &MemoryWatch::Run, this, 0, NULL); }

    void Stop()
    {
        InterlockedExchange(&m_stop, 1);
        WaitForSingleObject(m_worker, INFINITE);
        Sample();
    }

    double Peak() const { return m_peak; }
    double FirstFifthPeak() const { return m_firstPeak; }
    double LastFifthPeak() const { return m_lastPeak; }

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        MemoryWatch& watch = *(MemoryWatch*)self;
        while (!watch.m_stop) {
            watch.Sample();
            Sleep(250);
        }
        return 0;
    }

    void Sample()
    {
        const double now = CommittedPrivateMegabytes();
        long shown = 0;
        EnumChildWindows(m_hDialog, &FindLastNumber, (LPARAM)&shown);
        if (now > m_peak)
            m_peak = now;
        if (shown <= m_firstFifth && now > m_firstPeak)
            m_firstPeak = now;
        if (shown >= m_lastFifth && now > m_lastPeak)
            m_lastPeak = now;
    }

    HWND m_hDialog;
    long m_firstFifth;
    long m_lastFifth;
    HANDLE m_worker = NULL;
    volatile LONG m_stop = 0;
    double m_peak = 0;
    double m_firstPeak = 0;
    double m_lastPeak = 0;
};

// Counts, per module, where the sampled thread's instruction pointer is.
class Sampler {
public:
    explicit Sampler(DWORD threadId) : m_thread(OpenThread(THREAD_ALL_ACCESS, FALSE, threadId)) {}

    void Start() { m_worker = CreateThread(NULL, 0, &Sampler::Run, this, 0, NULL); }

    void Stop()
    {
        InterlockedExchange(&m_stop, 1);
        WaitForSingleObject(m_worker, INFINITE);
    }

    void Print() const
    {
        long total = 0;
        for (const auto& entry : m_samples)
            total += entry.second;
        printf("profile: %ld samples of the window's thread\n", total);
        std::multimap<long, std::string> byCount;
        for (const auto& entry : m_samples)
            byCount.insert(std::make_pair(-entry.second, entry.first));
        for (const auto& entry : byCount)
            printf("profile: %5.1f%%  %s\n", -entry.first * 100.0 / total, entry.second.c_str());
    }

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        Sampler& sampler = *(Sampler*)self;
        timeBeginPeriod(1);
        while (!sampler.m_stop) {
            sampler.TakeSample();
            Sleep(1);
        }
        timeEndPeriod(1);
        return 0;
    }

    void TakeSample()
    {
        if (SuspendThread(m_thread) == (DWORD)-1)
            return;
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_CONTROL;
        const bool read = GetThreadContext(m_thread, &context);
        ResumeThread(m_thread);
        if (read)
            ++m_samples[ModuleOf(InstructionPointer(context))];
    }

    static ULONG_PTR InstructionPointer(const CONTEXT& context)
    {
#if defined(_WIN64)
        return context.Rip;
#else
        return context.Eip;
#endif
    }

    static std::string ModuleOf(ULONG_PTR address)
    {
        HMODULE module;
        char path[MAX_PATH];
        if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                (LPCSTR)address, &module) ||
            !GetModuleFileNameA(module, path, sizeof path))
            return "(outside any module: Wine's Unix side)";
        const char* name = strrchr(path, '\\');
        return name ? name + 1 : path;
    }

    HANDLE m_thread;
    HANDLE m_worker = NULL;
    volatile LONG m_stop = 0;
    std::map<std::string, long> m_samples;
};

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    if (argc < 3 || (what != "burst" && what != "names" && what != "memory" && what != "handshake") ||
        (what == "memory" && argc < 4)) {
        fprintf(stderr, "usage: chat_bench.exe burst|names|memory|handshake PORT_FILE [LINES|--profile]\n");
        return 2;
    }
    const unsigned short port = ReadPort(argv[2]);
    if (!port) {
        fprintf(stderr, "chat_bench: no port from the peer\n");
        return 1;
    }
    TalvoReceiveMessageProc receiveMessage;
    CreateWindowRecord record;
    HWND dialog = OpenChatWindow("chat_bench", "Talvo IRC bench", true, receiveMessage, record);
    if (!dialog)
        return 1;
    PumpFor(300);
    const double memoryBefore = CommittedPrivateMegabytes();

    Sampler sampler(GetCurrentThreadId());
    const bool profile = argc > 3 && strcmp(argv[3], "--profile") == 0;
    printf("start %.6f\n", WallClockSeconds());
    // On the TLS port the server is named as its certificate names it.
    LogInToLoopback(dialog, kNick, port == kTlsPort ? "localhost" : "127.0.0.1", port);
    if (profile)
        sampler.Start();

    const double lines = what == "memory" ? atof(argv[3]) : 0;
    MemoryWatch memory(dialog, (long)lines);
    if (what == "memory")
        memory.Start();
    // The handshake is timed to the line that says it is over, the
    // certificate checked; the server's welcome follows at once.
    MarkerSearch search = { what == "names"       ? "names-end"
                            : what == "handshake" ? "сертификат сервера проверен"
                                                  : "burst-end",
                            what == "handshake", NULL };
    const DWORD start = GetTickCount();
    while (!search.found && GetTickCount() - start < kLimitMs) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
        PumpPending();
        EnumChildWindows(dialog, &FindMarker, (LPARAM)&search);
    }
    if (what == "memory")
        memory.Stop();
    const double done = WallClockSeconds();
    if (profile)
        sampler.Stop();
    if (!search.found) {
        fprintf(stderr, "chat_bench: the last line never arrived\n");
        return 1;
    }
    printf("done %.6f\n", done);
    if (what == "names")
        printf("users %d\n", (int)SendDlgItemMessageA(dialog, IDC_USER_LIST, LB_GETCOUNT, 0, 0));
    if (what == "memory") {
        const double after = CommittedPrivateMegabytes();
        printf("memory %.1f MB before; peak %.1f MB over the first fifth of %.0f lines, %.1f MB over the "
               "last fifth, %.1f MB over all; %.1f MB at the end\n",
               memoryBefore, memory.FirstFifthPeak(), lines, memory.LastFifthPeak(), memory.Peak(), after);
    }
    if (profile)
        sampler.Print();
    fflush(stdout);
    // The peer sees the connection close; no need to wait for Wine's teardown.
    ExitProcess(0);
}
