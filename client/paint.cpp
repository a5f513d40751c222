// Painting the chat dialog: the skin background, then the labels and hint
// lines of the login panel on top of it.
#include "client/irc_client.h"

#include "client/layout_math.h"

#include <string.h>

namespace {

const char kHintNoRegistration[] = "Чтобы зайти на сервер без регистрации, заполните поле \"Ник\"";
const char kHintRegisteredNick[] =
    "Чтобы зайти на сервер, используя зарегистрированный ник, заполните поля \"Ник\" и \"Пароль\"";
const char kHintRegisterNick[] =
    "Чтобы зарегистрировать новый ник на сервере, заполните поля \"Ник\", \"Пароль\" и \"E-mail\"";

void DrawLabel(HDC dc, const TextPosition& at, const char* text)
{
    TextOutA(dc, at.x, at.y, text, (int)strlen(text));
}

void DrawCentredHint(HDC dc, int width, int height, int fromBottom, const char* text)
{
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &extent);
    DrawLabel(dc, HintPosition(width, height, extent.cx, fromBottom), text);
}

} // namespace

// The background is read from disk at every paint: the skin may change
// under a running host.
void CIrcClient::PaintBackground()
{
    InvalidateRect(m_hDialog, NULL, TRUE);
    HBITMAP background = (HBITMAP)LoadImageA(NULL, "IRCSkin/BACKGROUND.BMP", IMAGE_BITMAP, 0, 0,
                                             LR_LOADFROMFILE);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hDialog, &paint);
    if (background) {
        BITMAP bitmap = {};
        GetObjectA(background, sizeof bitmap, &bitmap);
        RECT area;
        GetClientRect(m_hDialog, &area);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, background);
        StretchBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
        DeleteObject(background);
    }
    EndPaint(m_hDialog, &paint);
}

void CIrcClient::PaintLabels()
{
    HDC dc = GetDC(m_hDialog);
    RECT area;
    GetClientRect(m_hDialog, &area);
    const int width = area.right, height = area.bottom;
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(dc, m_hFont);

    if (m_loginState == 0) {
        DrawLabel(dc, ServerLabelPosition(width, height), "Сервер:");
        DrawLabel(dc, PortLabelPosition(width, height), "Порт:");
        DrawCentredHint(dc, width, height, 140, kHintNoRegistration);
        DrawCentredHint(dc, width, height, 125, kHintRegisteredNick);
        DrawCentredHint(dc, width, height, 110, kHintRegisterNick);
    }
    if (m_loginState == 0 || m_loginState == 1) {
        DrawLabel(dc, NickLabelPosition(width, height), "Ник:");
        DrawLabel(dc, PasswordLabelPosition(width, height), "Пароль:");
        DrawLabel(dc, EmailLabelPosition(width, height), "E-mail:");
    }

    SelectObject(dc, previousFont);
    ReleaseDC(m_hDialog, dc);
}
