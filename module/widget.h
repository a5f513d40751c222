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
