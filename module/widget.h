// One chat window embedded in a host window: the chat dialog and its client.
#pragma once

#include <windows.h>

class CIrcClient;

class CWidget {
public:
    explicit CWidget(HWND parent);

    CWidget(const CWidget&) = delete;
    CWidget& operator=(const CWidget&) = delete;

    virtual BOOL Show(bool show);
    // Fits the dialog to the parent's client area and lays the controls out.
    virtual void Resize();

    HWND Dialog() const { return m_hDialog; }

    // The routing of every message of the chat dialog.
    INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Around each message the window handles: more than one is in hand
    // while a handler runs a loop of its own (a message box, a menu).
    // LeaveMessage is true when the window has outlived its dialog and the
    // outermost message is done: the window may then be deleted.
    void EnterMessage() { ++m_messagesInHand; }
    bool LeaveMessage() { return --m_messagesInHand == 0 && !m_hDialog; }
    // The dialog's WM_DESTROY, while its controls and properties still
    // stand: the window lets go of the dialog, which its deletion then does
    // not destroy again. True when the window may be deleted at once.
    bool OnDialogDestroyed();
    // False when the cursor lies outside the dialog (no menu shown).
    bool OnTabRightClick(HWND dialog);
    void ShowTabMenu(HWND dialog, int x, int y);

protected:
    // Not virtual: windows are created and deleted as CSampleWidget only.
    ~CWidget();

private:
    INT_PTR OnNotify(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(HWND dialog, WORD id, WORD code);

    HWND m_hDialog;
    HWND m_hParent;
    HINSTANCE m_hInstance;
    CIrcClient* m_client;
    int m_messagesInHand;
};

class CSampleWidget final : public CWidget {
public:
    explicit CSampleWidget(HWND parent) : CWidget(parent) {}
};

// Reports the thread's last system error for the named operation in a
// message box.
void ShowLastError(const char* operation);

// The chat dialog's procedure; every window shares it.
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
