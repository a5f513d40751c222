#include "net/worker_request.h"

CWorkerRequest::CWorkerRequest(HWND dialog, UINT message)
    : m_references(2), m_answered(0), m_hDialog(dialog), m_message(message), m_hModule(NULL)
{
}

bool CWorkerRequest::StartWorker(CWorkerRequest* request)
{
    // The worker keeps the module loaded until it has returned: a host may
    // unload it while the worker still waits. Without that hold no worker
    // may start.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)&CWorkerRequest::Run,
                            &request->m_hModule)) {
        delete request;
        return false;
    }
    HANDLE worker = CreateThread(NULL, 0, &CWorkerRequest::Run, request, 0, NULL);
    if (!worker) {
        FreeLibrary(request->m_hModule);
        delete request;
        return false;
    }
    CloseHandle(worker);
    return true;
}

void CWorkerRequest::Release()
{
    if (InterlockedDecrement(&m_references) == 0)
        delete this;
}

DWORD WINAPI CWorkerRequest::Run(void* request)
{
    CWorkerRequest* self = (CWorkerRequest*)request;
    // No exception may leave the worker: it would end the host. A request
    // whose work failed so is answered as it stands, found nothing.
    try {
        self->Answer();
    } catch (...) {
    }
    InterlockedExchange(&self->m_answered, 1);
    // Fails harmlessly when the dialog is gone.
    PostMessageA(self->m_hDialog, self->m_message, (WPARAM)self, 0);
    const HMODULE module = self->m_hModule;
    self->Release();
    FreeLibraryAndExitThread(module, 0);
    return 0;
}
