// Writing one formatted line into a conversation's output control.
#include "client/irc_client.h"

#include "output/format_walk.h"
#include "output/output_batch.h"
#include "output/received_text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

thread_local LineEncoding t_encoding = LineEncoding::Utf8;

// Formats the line as UTF-8. A Windows-1251 line is formatted in its own
// code page, which the module's texts share, and converted whole; otherwise
// the format is converted first and the pieces go in as they are.
void FormatLine(char (&text)[kFormattedLineSize], const char* format, va_list args)
{
    if (CReceivedTextScope::Current() == LineEncoding::Windows1251) {
        // Converting doubles the Cyrillic letters of a received line at
        // most, and received lines are far shorter than this.
        char line[kFormattedLineSize];
        vsnprintf(line, sizeof line, format, args);
        Cp1251ToUtf8(line, strlen(line), text, sizeof text);
        return;
    }
    char utf8Format[1024];
    Cp1251ToUtf8(format, strlen(format), utf8Format, sizeof utf8Format);
    vsnprintf(text, sizeof text, utf8Format, args);
}

void WalkIntoBatch(CIrcClient& client, COutputBatch& batch, HWND output, const char* text)
{
    const LineContext context = { client.m_szNick, client.m_ownLinePending == 1, client.m_soundOn == 1 };
    if (WalkFormattedLine(text, context, batch.RunsFor(output)))
        client.m_ownLinePending = 0;
}

} // namespace

CReceivedTextScope::CReceivedTextScope(LineEncoding encoding) : m_outer(t_encoding)
{
    t_encoding = encoding;
}

CReceivedTextScope::~CReceivedTextScope()
{
    t_encoding = m_outer;
}

LineEncoding CReceivedTextScope::Current()
{
    return t_encoding;
}

void CIrcClient::PrintLine(HWND output, const char* format, ...)
{
    ShowWindow(output, SW_SHOWNORMAL);
    if (!format)
        return;
    char text[kFormattedLineSize];
    va_list args;
    va_start(args, format);
    FormatLine(text, format, args);
    va_end(args);

    // Outside a batch the line is one batch of its own, written at once.
    COutputBatch* open = COutputBatch::OpenFor(m_hDialog);
    if (!open) {
        COutputBatch single(m_hDialog);
        WalkIntoBatch(*this, single, output, text);
        return;
    }
    WalkIntoBatch(*this, *open, output, text);
}
