#include "output/output_batch.h"

#include "output/message_sound.h"
#include "output/redraw_pause.h"
#include "output/rich_stream.h"
#include "output/scrollback_control.h"

#include <richedit.h>

namespace {

// The batches open on this thread, innermost first. A window property would
// do, but reading one is a round trip to the window server under Wine, and
// every line looks its batch up.
thread_local COutputBatch* t_pInnermost;
const LPARAM kEnd = 0x7fffffff;
// A control's lines are written early once this much rich text waits.
const size_t kWriteEarlyBytes = 256 * 1024;
// Under this much free address space new text is refused. Everything shown
// stays in its control, and the rich-edit control of a 32-bit process that
// runs out of address space takes the host down with it: at about 10 KB a
// coloured line under Wine, one busy channel gets there in under 200,000
// lines.
const DWORDLONG kAddressSpaceReserve = 256ull * 1024 * 1024;

bool AddressSpaceRunningOut()
{
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) && status.ullAvailVirtual < kAddressSpaceReserve;
}

} // namespace

class COutputBatch::ControlRuns final : public RichTextRuns {
public:
    ControlRuns(COutputBatch& batch, HWND control) : m_batch(batch), m_hControl(control) {}

    HWND Control() const { return m_hControl; }

    void PlayMessageSound() override { m_batch.AskForSound(); }

    // Appends the collected text at the end of the control and keeps it
    // scrolled to the bottom, drawn once when both are done. A control
    // closed in the meantime takes nothing.
    void WriteToControl()
    {
        if (IsWindow(m_hControl) && (HasText() || ScrollWanted())) {
            CRedrawPause pause(m_hControl, true);
            if (HasText() && !AddressSpaceRunningOut()) {
                AppendRichText(m_hControl, ComposeStream(GetACP()));
                AddShownLines(m_hControl, LineBreaks());
            } else {
                SendMessageA(m_hControl, EM_SETSEL, kEnd, kEnd);
            }
            if (ScrollWanted())
                SendMessageA(m_hControl, WM_VSCROLL, SB_BOTTOM, 0);
        }
        Clear();
    }

private:
    COutputBatch& m_batch;
    HWND m_hControl;
};

COutputBatch::COutputBatch(HWND dialog) : m_hDialog(dialog), m_pOuter(t_pInnermost), m_soundWanted(false)
{
    if (COutputBatch* open = OpenFor(dialog))
        open->WriteAll();
    t_pInnermost = this;
}

COutputBatch::~COutputBatch()
{
    WriteAll();
    t_pInnermost = m_pOuter;
}

COutputBatch* COutputBatch::OpenFor(HWND dialog)
{
    for (COutputBatch* batch = t_pInnermost; batch; batch = batch->m_pOuter)
        if (batch->m_hDialog == dialog)
            return batch;
    return NULL;
}

RichTextRuns& COutputBatch::RunsFor(HWND control)
{
    for (const std::unique_ptr<ControlRuns>& runs : m_controls) {
        if (runs->Control() == control) {
            if (runs->BodySize() >= kWriteEarlyBytes)
                runs->WriteToControl();
            return *runs;
        }
    }
    m_controls.emplace_back(new ControlRuns(*this, control));
    return *m_controls.back();
}

void COutputBatch::AskForSound()
{
    CountMessageSoundRequest();
    m_soundWanted = true;
}

void COutputBatch::WriteAll()
{
    for (const std::unique_ptr<ControlRuns>& runs : m_controls)
        runs->WriteToControl();
    if (m_soundWanted)
        StartMessageSound();
    m_soundWanted = false;
    RequestScrollbackCheck(m_hDialog);
}
