#include "bench/thread_sampler.h"

#include <mmsystem.h>
#include <psapi.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

ULONG_PTR InstructionPointer(const CONTEXT& context)
{
#if defined(_WIN64)
    return context.Rip;
#else
    return context.Eip;
#endif
}

// A mapping of a Unix library, from /proc/self/maps: Wine's Unix side runs
// in the same process, outside every PE module. Wine reads only the start of
// the file, so most of that side is counted as one.
struct UnixMapping {
    ULONG_PTR start;
    ULONG_PTR end;
    ULONG_PTR fileOffset;
    std::string path;
};

std::vector<UnixMapping> ReadUnixMappings()
{
    std::vector<UnixMapping> mappings;
    FILE* maps = fopen("Z:\\proc\\self\\maps", "r");
    if (!maps)
        return mappings;
    char line[1024];
    while (fgets(line, sizeof line, maps)) {
        unsigned long long start, end, offset;
        char path[768] = "";
        if (sscanf(line, "%llx-%llx %*s %llx %*s %*s %767s", &start, &end, &offset, path) >= 3 && path[0] == '/')
            mappings.push_back(UnixMapping{ (ULONG_PTR)start, (ULONG_PTR)end, (ULONG_PTR)offset, path });
    }
    fclose(maps);
    return mappings;
}

// Wine names its own modules by where they seem to be on drive C:, and
// the others by their drive Z: path, which is the Unix one.
std::string UnixPathOf(const char* windowsPath)
{
    std::string path = windowsPath;
    const char* name = strrchr(windowsPath, '\\');
    if (_strnicmp(windowsPath, "C:\\windows\\", 11) == 0 && name) {
#if defined(_WIN64)
        path = std::string("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/") + (name + 1);
#else
        path = std::string("/usr/lib/i386-linux-gnu/wine/i386-windows/") + (name + 1);
#endif
    } else if (_strnicmp(windowsPath, "Z:", 2) == 0) {
        path = path.substr(2);
    }
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// Where `address` is: the module's Unix path and the offset in it.
struct Place {
    std::string file;
    ULONG_PTR offset;
};

Place PlaceOf(ULONG_PTR address, const std::vector<UnixMapping>& mappings)
{
    HMODULE module;
    char path[MAX_PATH];
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)address, &module) &&
        GetModuleFileNameA(module, path, sizeof path))
        return Place{ UnixPathOf(path), address - (ULONG_PTR)module };
    for (const UnixMapping& mapping : mappings)
        if (address >= mapping.start && address < mapping.end)
            return Place{ mapping.path, address - mapping.start + mapping.fileOffset };
    return Place{ "(Wine's Unix side)", 0 };
}

std::string ModuleName(const std::string& file)
{
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

void CountPlaces(const std::map<ULONG_PTR, long>& samples, const char* label,
                 const std::vector<UnixMapping>& mappings)
{
    std::map<std::pair<std::string, ULONG_PTR>, long> byPlace;
    for (const auto& sample : samples) {
        const Place place = PlaceOf(sample.first, mappings);
        byPlace[std::make_pair(place.file, place.offset)] += sample.second;
    }
    for (const auto& entry : byPlace)
        printf("%s %s %llx %ld\n", label, entry.first.first.c_str(), (unsigned long long)entry.first.second,
               entry.second);
}

} // namespace

#if defined(_WIN64)
// The unwind tables of the process's modules, read once before sampling:
// looking a function up through the loader while the sampled thread is
// suspended could wait for a lock that thread holds.
struct CThreadSampler::Walk {
    struct Module {
        ULONG_PTR base;
        ULONG_PTR end;
        const RUNTIME_FUNCTION* functions;
        size_t count;
    };
    std::vector<Module> modules;
    ULONG_PTR systemCalls[2][2];  // ntdll's and win32u's ranges
    ULONG_PTR ownBase;
    ULONG_PTR ownEnd;

    static ULONG_PTR SizeOf(HMODULE module)
    {
        MODULEINFO info = {};
        return GetModuleInformation(GetCurrentProcess(), module, &info, sizeof info) ? info.SizeOfImage : 0;
    }

    explicit Walk(HMODULE own) : ownBase((ULONG_PTR)own), ownEnd(own ? (ULONG_PTR)own + SizeOf(own) : 0)
    {
        HMODULE handles[512];
        DWORD needed = 0;
        EnumProcessModules(GetCurrentProcess(), handles, sizeof handles, &needed);
        for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
            const ULONG_PTR base = (ULONG_PTR)handles[i];
            const IMAGE_NT_HEADERS* headers =
                (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
            const IMAGE_DATA_DIRECTORY& table = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
            modules.push_back(Module{ base, base + headers->OptionalHeader.SizeOfImage,
                                      (const RUNTIME_FUNCTION*)(base + table.VirtualAddress),
                                      table.Size / sizeof(RUNTIME_FUNCTION) });
        }
        const char* names[2] = { "ntdll.dll", "win32u.dll" };
        for (int i = 0; i < 2; ++i) {
            HMODULE module = GetModuleHandleA(names[i]);
            systemCalls[i][0] = (ULONG_PTR)module;
            systemCalls[i][1] = module ? (ULONG_PTR)module + SizeOf(module) : 0;
        }
    }

    const RUNTIME_FUNCTION* Find(ULONG_PTR address, ULONG_PTR& base) const
    {
        for (const Module& module : modules) {
            if (address < module.base || address >= module.end)
                continue;
            base = module.base;
            const DWORD rva = (DWORD)(address - module.base);
            size_t low = 0, high = module.count;
            while (low < high) {
                const size_t middle = (low + high) / 2;
                if (rva < module.functions[middle].BeginAddress)
                    high = middle;
                else if (rva >= module.functions[middle].EndAddress)
                    low = middle + 1;
                else
                    return &module.functions[middle];
            }
            return NULL;
        }
        return NULL;
    }

    bool IsSystemCall(ULONG_PTR address) const
    {
        for (const auto& range : systemCalls)
            if (address >= range[0] && address < range[1])
                return true;
        return false;
    }
};

// Unwinds the suspended thread's stack from `context`, frame by frame,
// into `frames`. Nothing here may allocate or take a lock: the suspended
// thread may hold the heap's.
void CThreadSampler::WalkStack(const CONTEXT& start, Frames& frames) const
{
    const Walk& walk = *m_pWalk;
    CONTEXT context = start;
    for (int depth = 0; depth < 64 && context.Rip; ++depth) {
        const ULONG_PTR at = context.Rip;
        if (!frames.via && !walk.IsSystemCall(at))
            frames.via = at;
        if (at >= walk.ownBase && at < walk.ownEnd) {
            frames.own = at;
            return;
        }
        ULONG_PTR base = 0;
        const RUNTIME_FUNCTION* function = walk.Find(at, base);
        if (!function) {
            if (base == 0 && depth > 0)
                return;  // outside every module: no table to go on with
            context.Rip = *(const DWORD64*)context.Rsp;
            context.Rsp += 8;
            continue;
        }
        PVOID handlerData = NULL;
        DWORD64 establisher = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, at, (PRUNTIME_FUNCTION)function, &context, &handlerData,
                         &establisher, NULL);
    }
}
#else
struct CThreadSampler::Walk {
    explicit Walk(HMODULE) {}
};

// 32-bit frames carry no unwind tables to walk by.
void CThreadSampler::WalkStack(const CONTEXT&, Frames&) const {}
#endif

CThreadSampler::CThreadSampler(DWORD threadId, HMODULE ownModule)
    : m_hThread(OpenThread(THREAD_ALL_ACCESS, FALSE, threadId)), m_hOwnModule(ownModule)
{
}

CThreadSampler::~CThreadSampler()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

void CThreadSampler::Start()
{
    m_pWalk.reset(new Walk(m_hOwnModule));
    m_hWorker = CreateThread(NULL, 0, &CThreadSampler::Run, this, 0, NULL);
}

void CThreadSampler::Stop()
{
    InterlockedExchange(&m_stop, 1);
    if (m_hWorker)
        WaitForSingleObject(m_hWorker, INFINITE);
}

DWORD WINAPI CThreadSampler::Run(LPVOID self)
{
    CThreadSampler& sampler = *(CThreadSampler*)self;
    timeBeginPeriod(1);
    while (!sampler.m_stop) {
        sampler.TakeSample();
        Sleep(1);
    }
    timeEndPeriod(1);
    return 0;
}

void CThreadSampler::TakeSample()
{
    if (SuspendThread(m_hThread) == (DWORD)-1)
        return;
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_FULL;
    Frames frames;
    const bool read = GetThreadContext(m_hThread, &context);
    if (read)
        WalkStack(context, frames);
    ResumeThread(m_hThread);
    if (!read)
        return;
    ++m_samples[InstructionPointer(context)];
    if (frames.via)
        ++m_via[frames.via];
    if (frames.own)
        ++m_own[frames.own];
}

void CThreadSampler::Print() const
{
    const std::vector<UnixMapping> mappings = ReadUnixMappings();
    long total = 0;
    std::map<std::string, long> byModule;
    for (const auto& sample : m_samples) {
        total += sample.second;
        byModule[ModuleName(PlaceOf(sample.first, mappings).file)] += sample.second;
    }
    printf("profile: %ld samples of the window's thread (%u Unix mappings read)\n", total,
           (unsigned)mappings.size());
    std::multimap<long, std::string> ranked;
    for (const auto& entry : byModule)
        ranked.insert(std::make_pair(-entry.second, entry.first));
    for (const auto& entry : ranked)
        printf("profile: %5.1f%%  %s\n", -entry.first * 100.0 / total, entry.second.c_str());
    CountPlaces(m_samples, "profile-at", mappings);
    CountPlaces(m_via, "profile-via", mappings);
    CountPlaces(m_own, "profile-own", mappings);
}
