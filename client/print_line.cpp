// The window writes one formatted line into a conversation's output control.
#include "client/irc_client.h"

#include "output/format_walk.h"
#include "output/output_batch.h"
#include "output/received_text.h"

#include <stdarg.h>

namespace {

void WalkIntoBatch(CIrcClient& client, COutputBatch& batch, HWND output, const char* text)
{
    const LineContext context = { client.m_szNick, client.m_ownLinePending == 1, client.m_soundOn == 1,
                                  client.Rules().caseMapping };
    if (WalkFormattedLine(text, context, batch.RunsFor(output)))
        client.m_ownLinePending = 0;
}

} // namespace

void CIrcClient::PrintLine(HWND output, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintLineArgs(output, format, args);
    va_end(args);
}

void CIrcClient::PrintLineArgs(HWND output, const char* format, va_list args)
{
    ShowWindow(output, SW_SHOWNORMAL);
    if (!format)
        return;
    char text[kFormattedLineSize];
    FormatLine(text, format, args);

    // Outside a batch the line is one batch of its own, written at once.
    COutputBatch* open = COutputBatch::OpenFor(m_hDialog);
    if (!open) {
        COutputBatch single(m_hDialog);
        WalkIntoBatch(*this, single, output, text);
        return;
    }
    WalkIntoBatch(*this, *open, output, text);
}
