#include "module/module.h"

#include "module/widget.h"
#include "output/message_sound.h"
#include "protocol/tokens.h"

#include <string.h>

namespace {

const char kModuleName[] = "Talvo Irc";
const wchar_t kModuleNameW[] = L"Talvo Irc";

// One dialog message in a window's hands. A window whose dialog was
// destroyed meanwhile (by a message box's loop) goes when the outermost
// message is done.
class CMessageInHand {
public:
    explicit CMessageInHand(CSampleWidget* window) : m_window(window) { m_window->EnterMessage(); }
    ~CMessageInHand()
    {
        if (m_window->LeaveMessage())
            delete m_window;
    }

    CMessageInHand(const CMessageInHand&) = delete;
    CMessageInHand& operator=(const CMessageInHand&) = delete;

private:
    CSampleWidget* m_window;
};

} // namespace

CModule::CModule(const char* name, const char* name2, int32_t p3, int32_t p4, int32_t p5, int32_t p6)
    : m_callback(NULL), m_hostValue1(0), m_hostValue2(0), m_hostValue3(0), m_info()
{
    if (name) {
        CopyText(m_info.szName, sizeof m_info.szName, name);
        CopyText(m_info.szName2, sizeof m_info.szName2, name2 ? name2 : "");
    }
    m_info.values[0] = p5;
    m_info.values[1] = p4;
    m_info.values[2] = p3;
    m_info.values[3] = p6;
}

CModule::~CModule() = default;

void CModule::Initialize(TalvoHostCallback callback, int32_t value1, int32_t value2, int32_t value3)
{
    m_callback = callback;
    m_hostValue1 = value1;
    m_hostValue2 = value2;
    m_hostValue3 = value3;
}

int32_t CModule::GetModuleInfo(ModuleInfo* buffer)
{
    if (buffer)
        memcpy(buffer, &m_info, sizeof m_info);
    return 0;
}

int32_t CModule::ReceiveMessage(int32_t, int32_t, void*, int32_t)
{
    return MM_OK;
}

int32_t CModule::CallHost(int32_t a, int32_t b, intptr_t c, int32_t d)
{
    return m_callback ? m_callback(a, b, c, d) : -1;
}

// Indexed by code - MM_CREATE_WINDOW.
const CSampleWidgetModule::WindowMessageHandler
CSampleWidgetModule::kWindowMessages[kWindowMessageCount] = {
    &CSampleWidgetModule::OnCreateWindow,   // 5003 MM_CREATE_WINDOW
    &CSampleWidgetModule::OnDestroyWindow,  // 5004 MM_DESTROY_WINDOW
    &CSampleWidgetModule::OnResizeWindow,   // 5005 MM_RESIZE_WINDOW
    &CSampleWidgetModule::OnIgnored,        // 5006
    &CSampleWidgetModule::OnIgnored,        // 5007
    &CSampleWidgetModule::OnIgnored,        // 5008
    &CSampleWidgetModule::OnIgnored,        // 5009
    &CSampleWidgetModule::OnIgnored,        // 5010
    &CSampleWidgetModule::OnShowWindow,     // 5011 MM_SHOW_WINDOW
    &CSampleWidgetModule::OnIgnored,        // 5012
    &CSampleWidgetModule::OnIgnored,        // 5013
    &CSampleWidgetModule::OnIgnored,        // 5014
    &CSampleWidgetModule::OnIgnored,        // 5015
    &CSampleWidgetModule::OnIgnored,        // 5016
    &CSampleWidgetModule::OnIgnored,        // 5017
    &CSampleWidgetModule::OnIgnored,        // 5018
    &CSampleWidgetModule::OnIgnored,        // 5019
    &CSampleWidgetModule::OnIgnored,        // 5020
    &CSampleWidgetModule::OnIgnored,        // 5021
    &CSampleWidgetModule::OnGetNameW,       // 5022 MM_GET_NAME_W
};

// Built while the library loads, inside DllMain: it must not load a
// library or call the system's window and drawing functions.
CSampleWidgetModule::CSampleWidgetModule()
    : CModule(kModuleName, kModuleName, 1, 0, 2, 4),
      m_hRichEdit(NULL),
      m_hControlBrush(NULL)
{
}

// Destroyed only when the host unloads the library, inside DllMain: what
// the windows share went with the last of them. Windows the host did not
// destroy are left as they are.
CSampleWidgetModule::~CSampleWidgetModule() = default;

int32_t CSampleWidgetModule::ReceiveMessage(int32_t, int32_t code, void* payload, int32_t)
{
    if (code == MM_GET_NAME)
        return OnGetName(payload);
    if (code == MM_QUERY_COMPONENTS)
        return OnQueryComponents();
    const uint32_t index = (uint32_t)code - (uint32_t)MM_CREATE_WINDOW;
    if (index >= kWindowMessageCount)
        return MM_OK;
    return (this->*kWindowMessages[index])(payload);
}

int32_t CSampleWidgetModule::OnGetName(void* payload)
{
    if (!payload)
        return MM_FAILED;
    TalvoNameBuffer* buffer = static_cast<TalvoNameBuffer*>(payload);
    memcpy(buffer->szName, kModuleName, sizeof kModuleName);
    memset(buffer->reserved, 0, sizeof buffer->reserved);
    return MM_OK;
}

int32_t CSampleWidgetModule::OnGetNameW(void* payload)
{
    if (!payload)
        return MM_FAILED;
    TalvoNameBufferW* buffer = static_cast<TalvoNameBufferW*>(payload);
    memset(buffer->reserved, 0, sizeof buffer->reserved);
    memcpy(buffer->szName, kModuleNameW, sizeof kModuleNameW);
    return MM_OK;
}

int32_t CSampleWidgetModule::OnQueryComponents()
{
    WindowInterface component;
    memset(&component, 0, sizeof component);
    CopyText(component.szKind, sizeof component.szKind, "Windowcomponent");
    CopyText(component.szOwner, sizeof component.szOwner, kModuleName);
    CopyText(component.szName, sizeof component.szName, "MyWindow");
    component.hostValue3 = m_hostValue3;
    component.pModule = this;
    CallHost(m_hostValue2, MM_ADD_COMPONENT, (intptr_t)&component, 0);
    return MM_OK;
}

int32_t CSampleWidgetModule::OnCreateWindow(void* payload)
{
    if (!payload)
        return MM_FAILED;
    CreateWindowRecord* record = static_cast<CreateWindowRecord*>(payload);
    // riched20 registers "RichEdit20A", which the chat dialog and its pages
    // use. It stays loaded: a library may not be freed from DllMain, and
    // the next window would load it again.
    if (!m_hRichEdit)
        m_hRichEdit = LoadLibraryA("riched20.dll");
    try {
        // Room in the list first, so that a created window is always listed.
        m_windows.reserve(m_windows.size() + 1);
        CSampleWidget* window = new CSampleWidget(record->hParent);
        record->pWindow = window;
        window->Show(true);
        m_windows.push_back(window);
    } catch (...) {
        return MM_FAILED;
    }
    return MM_OK;
}

int32_t CSampleWidgetModule::OnDestroyWindow(void* payload)
{
    const int index = FindWindowIndex(payload);
    if (index < 0)
        return MM_FAILED;
    ForgetWindow(index, true);
    return MM_OK;
}

// A host may destroy its own window before MM_DESTROY_WINDOW, or never send
// it: the chat window goes as that message would take it, and the host's
// later messages for it find no such window.
void CSampleWidgetModule::OnDialogDestroyed(CSampleWidget* window)
{
    ForgetWindow(FindWindowIndex(window), window->OnDialogDestroyed());
}

// The window leaves the list before it is deleted, so that no message of
// its dying dialog reaches it. One whose handler is still at work is
// deleted by that handler when done (CMessageInHand).
void CSampleWidgetModule::ForgetWindow(int index, bool deleteNow)
{
    CSampleWidget* window = m_windows[index];
    m_windows.erase(m_windows.begin() + index);
    if (deleteNow)
        delete window;
    if (m_windows.empty())
        ReleaseSharedResources();
}

// Nothing is left for the library's unload to free, which happens inside
// DllMain, where the drawing functions may not be called. Nor is a sound
// left playing: a host that ends next would kill its player thread in the
// middle of opening the sound device.
void CSampleWidgetModule::ReleaseSharedResources()
{
    StopMessageSound();
    if (m_hControlBrush)
        DeleteObject(m_hControlBrush);
    m_hControlBrush = NULL;
    std::vector<CSampleWidget*>().swap(m_windows);
}

int32_t CSampleWidgetModule::OnResizeWindow(void* payload)
{
    const int index = FindWindowIndex(payload);
    if (index < 0)
        return MM_FAILED;
    m_windows[index]->Resize();
    return MM_OK;
}

int32_t CSampleWidgetModule::OnShowWindow(void* payload)
{
    const int index = FindWindowIndex(payload);
    if (index < 0)
        return MM_FAILED;
    m_windows[index]->Show(true);
    return MM_OK;
}

int32_t CSampleWidgetModule::OnIgnored(void*)
{
    return MM_OK;
}

int CSampleWidgetModule::FindWindowIndex(const void* window) const
{
    for (size_t i = 0; i < m_windows.size(); ++i) {
        if (m_windows[i] == window)
            return (int)i;
    }
    return -1;
}

CSampleWidget* CSampleWidgetModule::FindWidgetByDialog(HWND dialog) const
{
    for (CSampleWidget* window : m_windows) {
        if (window && window->Dialog() == dialog)
            return window;
    }
    return NULL;
}

INT_PTR CSampleWidgetModule::RouteDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    CSampleWidget* window = FindWidgetByDialog(dialog);
    if (!window)
        return 0;
    if (message == WM_DESTROY) {
        OnDialogDestroyed(window);
        return 0;
    }
    CMessageInHand inHand(window);
    return window->OnDialogMessage(dialog, message, wParam, lParam);
}

HBRUSH CSampleWidgetModule::ControlBrush()
{
    if (!m_hControlBrush)
        m_hControlBrush = CreateSolidBrush(RGB(240, 240, 240));
    return m_hControlBrush;
}
