// The module object behind the exports: the host's records, its callback and
// the list of chat windows the module created.
#pragma once

#include "include/talvo_irc.h"

#include <vector>

class CSampleWidget;

// Set by DllMain; dialogs and menus load from it.
extern HINSTANCE g_hModuleInstance;

class CModule {
public:
    CModule(const char* name, const char* name2, int32_t p3, int32_t p4, int32_t p5, int32_t p6);
    virtual ~CModule();

    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    virtual void Initialize(TalvoHostCallback callback, int32_t value1, int32_t value2, int32_t value3);
    virtual int32_t GetModuleInfo(ModuleInfo* buffer);
    virtual int32_t ReceiveMessage(int32_t a1, int32_t code, void* payload, int32_t a4);
    // -1 while the host has given no callback.
    virtual int32_t CallHost(int32_t a, int32_t b, intptr_t c, int32_t d);

protected:
    TalvoHostCallback m_callback;
    int32_t m_hostValue1;
    int32_t m_hostValue2;
    int32_t m_hostValue3;
    ModuleInfo m_info;
};

class CSampleWidgetModule : public CModule {
public:
    CSampleWidgetModule();
    ~CSampleWidgetModule() override;

    int32_t ReceiveMessage(int32_t a1, int32_t code, void* payload, int32_t a4) override;

    // The chat dialogs' messages, routed to the window that owns the dialog;
    // 0 for a dialog no listed window owns.
    INT_PTR RouteDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    CSampleWidget* FindWidgetByDialog(HWND dialog) const;

    // Background brush of the edits and the user list, shared by all windows.
    HBRUSH ControlBrush();

private:
    typedef int32_t (CSampleWidgetModule::*WindowMessageHandler)(void* payload);
    enum { kWindowMessageCount = MM_GET_NAME_W - MM_CREATE_WINDOW + 1 };
    static const WindowMessageHandler kWindowMessages[kWindowMessageCount];

    int32_t OnGetName(void* payload);
    int32_t OnQueryComponents();
    int32_t OnCreateWindow(void* payload);
    int32_t OnDestroyWindow(void* payload);
    int32_t OnResizeWindow(void* payload);
    int32_t OnShowWindow(void* payload);
    int32_t OnGetNameW(void* payload);
    int32_t OnIgnored(void* payload);

    // Position of the window in the list, or -1.
    int FindWindowIndex(const void* window) const;
    // The window leaves the list, and goes unless one of its handlers is
    // still at work; what the windows share goes with the last of them.
    void ForgetWindow(int index, bool deleteNow);
    // WM_DESTROY of a listed window's dialog: the host destroyed the window
    // the dialog lives in first.
    void OnDialogDestroyed(CSampleWidget* window);

    // What the windows share goes with the last of them.
    void ReleaseSharedResources();

    std::vector<CSampleWidget*> m_windows;
    HMODULE m_hRichEdit;
    HBRUSH m_hControlBrush;
};

// The one module object of the library (dll_main.cpp).
extern CSampleWidgetModule& g_module;
