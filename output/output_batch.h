// Lines printed while a batch is open wait in it, one rich-text stream per
// output control, and reach each control in one insertion when the batch
// closes; the message sound they ask for starts once. The socket reader holds a batch open across everything it reads in
// one go; PrintLine outside a batch opens one for its single line.
#pragma once

#include <windows.h>

#include "output/rich_text.h"

#include <memory>
#include <vector>

class COutputBatch {
public:
    // Opens the batch as the dialog's current one. A batch already open for
    // the dialog is written out first and comes back when this one closes,
    // so lines keep their order.
    explicit COutputBatch(HWND dialog);
    // Writes out every control's lines and closes the batch; the dialog
    // then checks its scrollback.
    ~COutputBatch();

    COutputBatch(const COutputBatch&) = delete;
    COutputBatch& operator=(const COutputBatch&) = delete;

    // The batch open for the dialog, or null.
    static COutputBatch* OpenFor(HWND dialog);

    // Where the lines for `control` are collected.
    RichTextRuns& RunsFor(HWND control);

    // Counts a request for the message sound; the sound starts once, when
    // the batch is written out, however many lines asked for it.
    void AskForSound();

private:
    class ControlRuns;

    void WriteAll();

    HWND m_hDialog;
    COutputBatch* m_pOuter;  // the batch open before this one, on this thread
    std::vector<std::unique_ptr<ControlRuns>> m_controls;
    bool m_soundWanted;
};
