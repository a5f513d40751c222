// Holds back the drawing of a shown control while many changes are made to
// it, then draws it once. A visible list box under Wine redraws itself and
// its scroll bar on every added or deleted entry, which costs milliseconds;
// a rich edit draws on every insertion and again on every scroll.
#pragma once

#include <windows.h>

class CRedrawPause {
public:
    // A hidden control is left alone: turning drawing back on would show it.
    // With `drawAtOnce` the control is drawn when the pause ends, frame and
    // scroll bar too, rather than when the window's queue is next empty:
    // a flood of socket notifications keeps it from ever being empty.
    explicit CRedrawPause(HWND control, bool drawAtOnce = false)
        : m_hControl(control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) ? control : NULL),
          m_drawAtOnce(drawAtOnce)
    {
        if (m_hControl)
            SendMessageA(m_hControl, WM_SETREDRAW, FALSE, 0);
    }

    ~CRedrawPause()
    {
        if (m_hControl && IsWindow(m_hControl)) {
            SendMessageA(m_hControl, WM_SETREDRAW, TRUE, 0);
            RedrawWindow(m_hControl, NULL, NULL,
                         RDW_INVALIDATE | RDW_ERASE | (m_drawAtOnce ? RDW_FRAME | RDW_UPDATENOW : 0));
        }
    }

    CRedrawPause(const CRedrawPause&) = delete;
    CRedrawPause& operator=(const CRedrawPause&) = delete;

private:
    HWND m_hControl;
    bool m_drawAtOnce;
};
