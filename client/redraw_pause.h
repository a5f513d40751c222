// Holds back the drawing of a shown control while many changes are made to
// it, then draws it once. A visible list box under Wine redraws itself and
// its scroll bar on every added or deleted entry, which costs milliseconds.
#pragma once

#include <windows.h>

class CRedrawPause {
public:
    // A hidden control is left alone: turning drawing back on would show it.
    explicit CRedrawPause(HWND control)
        : m_hControl(control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) ? control : NULL)
    {
        if (m_hControl)
            SendMessageA(m_hControl, WM_SETREDRAW, FALSE, 0);
    }

    ~CRedrawPause()
    {
        if (m_hControl && IsWindow(m_hControl)) {
            SendMessageA(m_hControl, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(m_hControl, NULL, TRUE);
        }
    }

    CRedrawPause(const CRedrawPause&) = delete;
    CRedrawPause& operator=(const CRedrawPause&) = delete;

private:
    HWND m_hControl;
};
