// Samples where one thread is, once a millisecond, from a thread of its own.
// Each sample is counted at its address; the report gives the share of each
// module and, for bench/profile.sh to name, every address with its count.
// On 64-bit the sample's stack is walked too: a thread that waits in a
// system call is counted at the call of the system's that made it and at the
// innermost call of the module's own on the way there.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

class CThreadSampler {
public:
    CThreadSampler(DWORD threadId, HMODULE ownModule);
    ~CThreadSampler();

    CThreadSampler(const CThreadSampler&) = delete;
    CThreadSampler& operator=(const CThreadSampler&) = delete;

    void Start();
    void Stop();

    // "profile: SHARE% MODULE" per module, then "profile-at FILE OFFSET COUNT"
    // per address: FILE is the module's Unix path, OFFSET where the address
    // lies from the module's start (a PE module's RVA, a Unix library's file
    // offset). "profile-via" lines count the nearest caller outside ntdll and
    // win32u, "profile-own" lines the innermost caller in `ownModule`.
    void Print() const;

private:
    static DWORD WINAPI Run(LPVOID self);
    void TakeSample();

    struct Walk;
    struct Frames {
        ULONG_PTR via = 0;  // the nearest caller outside the system-call modules
        ULONG_PTR own = 0;  // the innermost caller in the own module
    };
    void WalkStack(const CONTEXT& context, Frames& frames) const;

    HANDLE m_hThread;
    HMODULE m_hOwnModule;
    std::unique_ptr<Walk> m_pWalk;
    HANDLE m_hWorker = NULL;
    volatile LONG m_stop = 0;
    std::map<ULONG_PTR, long> m_samples;
    std::map<ULONG_PTR, long> m_via;
    std::map<ULONG_PTR, long> m_own;
};
