// Writing one formatted line into a conversation's output control.
#include "client/irc_client.h"

#include "output/format_walk.h"
#include "output/message_sound.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static_assert(kMaskBold == CFM_BOLD && kMaskUnderline == CFM_UNDERLINE && kMaskColour == CFM_COLOR,
              "mask bits pass straight into CHARFORMATA");
static_assert(kEffectBold == CFE_BOLD && kEffectUnderline == CFE_UNDERLINE,
              "effect bits pass straight into CHARFORMATA");
static_assert(Rgb(1, 2, 3) == RGB(1, 2, 3), "colours are COLORREFs");
static_assert(sizeof(CHARFORMATA) == 60, "the control expects the 60-byte record");

namespace {

const LPARAM kEnd = 0x7fffffff;

// A rich-edit output control; with no control every message does nothing.
class ControlOutput final : public LineOutput {
public:
    explicit ControlOutput(HWND control) : m_hControl(control)
    {
        memset(&m_format, 0, sizeof m_format);
        m_format.cbSize = sizeof m_format;
    }

    void MoveCaretToEnd() override { SendMessageA(m_hControl, EM_SETSEL, kEnd, kEnd); }

    void ApplyFormat(const TextFormat& format) override
    {
        SendMessageA(m_hControl, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&m_format);
        SetFormat(format);
    }

    void SetFormat(const TextFormat& format) override
    {
        m_format.dwMask = format.mask;
        m_format.dwEffects = format.effects;
        m_format.crTextColor = format.colour;
        SendMessageA(m_hControl, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&m_format);
    }

    void InsertRun(const char* run) override
    {
        SendMessageA(m_hControl, EM_REPLACESEL, FALSE, (LPARAM)run);
        SendMessageA(m_hControl, EM_SCROLLCARET, 0, 0);
        MoveCaretToEnd();
    }

    void PlayMessageSound() override { ::PlayMessageSound(); }

    void ScrollToBottom() override { SendMessageA(m_hControl, WM_VSCROLL, SB_BOTTOM, 0); }

private:
    HWND m_hControl;
    CHARFORMATA m_format;
};

} // namespace

void CIrcClient::PrintLine(HWND output, const char* format, ...)
{
    ShowWindow(output, SW_SHOWNORMAL);
    if (!format)
        return;
    char text[kFormattedLineSize];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);

    ControlOutput control(output);
    const LineContext context = { m_szNick, m_ownLinePending == 1, m_soundOn == 1 };
    if (WalkFormattedLine(text, context, control))
        m_ownLinePending = 0;
}
