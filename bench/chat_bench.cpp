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
// a millisecond (bench/thread_sampler.h).
#include <winsock2.h>

#include "client/control_ids.h"
#include "net/tls_records.h"
#include "bench/thread_sampler.h"
#include "tools/host_kit.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <richedit.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const char kNick[] = "bencher";
// As long as bench/traffic_peer.py waits.
const DWORD kLimitMs = 4 * 3600 * 1000;

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

// The committed memory at its peak over the first fifth of the run's time,
// over the last fifth, and over all of it, sampled four times a second by a
// thread of its own that never waits for the window (whose thread may be
// streaming lines in for most of a second at a time). The fifths are of the
// time from the first sample to the last, which the steady traffic makes
// fifths of the lines. A peak over a stretch is taken rather than one
// reading, because the channel's control holds between its shown lines and
// a block more.
class MemoryWatch {
public:
    void Start() { m_worker = CreateThread(NULL, 0, &MemoryWatch::Run, this, 0, NULL); }

    void Stop()
    {
        InterlockedExchange(&m_stop, 1);
        WaitForSingleObject(m_worker, INFINITE);
    }

    struct Peaks {
        double firstFifth = 0;
        double lastFifth = 0;
        double all = 0;
        int firstSamples = 0;
        int lastSamples = 0;
    };

    Peaks ReadPeaks() const
    {
        Peaks peaks;
        if (m_samples.empty())
            return peaks;
        const DWORD span = m_samples.back().first - m_samples.front().first;
        for (const auto& sample : m_samples) {
            const DWORD at = sample.first - m_samples.front().first;
            if (sample.second > peaks.all)
                peaks.all = sample.second;
            if (at <= span / 5) {
                ++peaks.firstSamples;
                if (sample.second > peaks.firstFifth)
                    peaks.firstFifth = sample.second;
            }
            if (at >= span - span / 5) {
                ++peaks.lastSamples;
                if (sample.second > peaks.lastFifth)
                    peaks.lastFifth = sample.second;
            }
        }
        return peaks;
    }

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        MemoryWatch& watch = *(MemoryWatch*)self;
        do {
            watch.m_samples.push_back(std::make_pair(GetTickCount(), CommittedPrivateMegabytes()));
            Sleep(250);
        } while (!watch.m_stop);
        return 0;
    }

    HANDLE m_worker = NULL;
    volatile LONG m_stop = 0;
    std::vector<std::pair<DWORD, double>> m_samples;  // tick, megabytes
};

// The arguments after PORT_FILE: a number of lines, and --profile.
struct Options {
    long lines = 0;
    bool profile = false;
};

Options ReadOptions(int argc, char** argv)
{
    Options options;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--profile") == 0)
            options.profile = true;
        else
            options.lines = atol(argv[i]);
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    const Options options = ReadOptions(argc, argv);
    if (argc < 3 || (what != "burst" && what != "names" && what != "memory" && what != "handshake") ||
        (what == "memory" && options.lines <= 0)) {
        fprintf(stderr, "usage: chat_bench.exe burst|names|memory|handshake PORT_FILE [LINES] [--profile]\n");
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

    CThreadSampler sampler(GetCurrentThreadId(), GetModuleHandleA("TalvoIrc.dll"));
    printf("start %.6f\n", WallClockSeconds());
    // On the TLS port the server is named as its certificate names it.
    LogInToLoopback(dialog, kNick, port == kTlsPort ? "localhost" : "127.0.0.1", port);
    if (options.profile)
        sampler.Start();

    MemoryWatch memory;
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
    if (options.profile)
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
        const MemoryWatch::Peaks peaks = memory.ReadPeaks();
        printf("memory %.1f MB before; peak %.1f MB over the first fifth of %ld lines (%d samples), %.1f MB over "
               "the last fifth (%d samples), %.1f MB over all; %.1f MB at the end\n",
               memoryBefore, peaks.firstFifth, options.lines, peaks.firstSamples, peaks.lastFifth,
               peaks.lastSamples, peaks.all, after);
        // A fifth without a sample has no peak: the figure would read as a success.
        if (peaks.firstSamples < 2 || peaks.lastSamples < 2) {
            fprintf(stderr, "chat_bench: fewer than two memory samples over the %s fifth of the run\n",
                    peaks.firstSamples < 2 ? "first" : "last");
            fflush(stdout);
            ExitProcess(1);
        }
    }
    if (options.profile)
        sampler.Print();
    fflush(stdout);
    // The peer sees the connection close; no need to wait for Wine's teardown.
    ExitProcess(0);
}
