#include "client/control_font.h"

void SetTahomaFont(HWND control, int weight)
{
    if (!control)
        return;
    HFONT font = (HFONT)GetWindowLongPtrA(control, GWLP_USERDATA);
    if (!font) {
        font = CreateFontA(13, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_RASTER_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Tahoma");
        if (!font)
            return;
        SetWindowLongPtrA(control, GWLP_USERDATA, (LONG_PTR)font);
    }
    // Setting the font again redraws the whole control: with the user list
    // set before every nick added, that would be a redraw per JOIN.
    if ((HFONT)SendMessageA(control, WM_GETFONT, 0, 0) != font)
        SendMessageA(control, WM_SETFONT, (WPARAM)font, TRUE);
}

void ReleaseTahomaFont(HWND control)
{
    if (!control)
        return;
    HFONT font = (HFONT)SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    if (!font)
        return;
    // The control must not keep drawing with a deleted font.
    SendMessageA(control, WM_SETFONT, 0, FALSE);
    DeleteObject(font);
}
