// A request answered away from the window's thread: a short-lived worker
// does the slow part and posts the answer to the chat dialog.
#pragma once

#include <windows.h>

// The worker and the window each hold a reference, so that whichever lets
// go last frees the request: a window that logs out or closes simply lets
// go, and the answer it no longer wants goes nowhere.
class CWorkerRequest {
public:
    CWorkerRequest(const CWorkerRequest&) = delete;
    CWorkerRequest& operator=(const CWorkerRequest&) = delete;

    // The window lets go of the request, answered or not.
    void Release();
    bool IsAnswered() const { return m_answered != 0; }

protected:
    // The answer comes to dialog as message, with the request as wParam.
    CWorkerRequest(HWND dialog, UINT message);
    virtual ~CWorkerRequest() {}

    // Starts the worker; false, with the request freed, when it cannot be
    // started.
    static bool StartWorker(CWorkerRequest* request);

private:
    // The slow part, on the worker.
    virtual void Answer() = 0;
    static DWORD WINAPI Run(void* request);

    volatile LONG m_references;
    volatile LONG m_answered;
    HWND m_hDialog;
    UINT m_message;
    HMODULE m_hModule;
};
