// What one shown line costs in a rich-edit control, and what the same line
// costs kept as rich text: a visible RichEdit20A set up as an output control
// is fed 20,000 lines of one kind in batches, as the module writes them, and
// the process's committed memory is read before and after.
//
//   line_cost.exe          prints one row per kind of line
#include <winsock2.h>

#include "output/rich_stream.h"
#include "tools/host_kit.h"

#include <richedit.h>

#include <stdio.h>

#include <string>

namespace {

const int kLines = 20000;
const int kBatch = 500;

struct Kind {
    const char* description;
    const char* line;  // RTF of one line; %d takes its number
    bool keepUndo;
};

const Kind kKinds[] = {
    { "one run, a paragraph a line", "\\par \\cf1 plain line of chat text number %d", false },
    { "one run, Cyrillic", "\\par \\cf1 \\u1055?\\u1088?\\u1080?\\u1074?\\u1077?\\u1090? line %d", false },
    { "two runs (nick and text)", "\\par \\cf2 <nick> \\cf1 plain line of chat text number %d", false },
    { "eight runs, colours and bold",
      "\\par \\cf1 <nick> \\cf2 word \\cf3\\b bold\\b0 \\cf1 more \\cf2 text \\cf3 here \\cf1 and %d", false },
    { "eight runs, undo kept (the control's default)",
      "\\par \\cf1 <nick> \\cf2 word \\cf3\\b bold\\b0 \\cf1 more \\cf2 text \\cf3 here \\cf1 and %d", true },
    { "one run, lines joined by soft breaks", "\\line \\cf1 plain line of chat text number %d", false },
};

void Append(HWND control, const std::string& body)
{
    AppendRichText(control, "{\\rtf1\\ansi\\ansicpg1251{\\colortbl;\\red192\\green192\\blue192;"
                            "\\red0\\green0\\blue127;\\red255\\green0\\blue0;}" + body + "}");
    SendMessageA(control, WM_VSCROLL, SB_BOTTOM, 0);
}

void Measure(HWND host, const Kind& kind)
{
    HWND control = CreateWindowExA(0, "RichEdit20A", "",
                                   WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE |
                                       ES_AUTOVSCROLL | ES_READONLY | ES_DISABLENOSCROLL,
                                   0, 0, 600, 400, host, NULL, NULL, NULL);
    SendMessageA(control, EM_EXLIMITTEXT, 0, 0x7ffffffe);
    if (!kind.keepUndo)
        SendMessageA(control, EM_SETUNDOLIMIT, 0, 0);
    PumpPending();
    const double before = CommittedPrivateMegabytes();
    char line[256];
    for (int first = 0; first < kLines; first += kBatch) {
        std::string body;
        for (int n = first; n < first + kBatch; ++n) {
            snprintf(line, sizeof line, kind.line, n);
            body += line;
        }
        Append(control, body);
        PumpPending();
    }
    const double after = CommittedPrivateMegabytes();
    GETTEXTLENGTHEX length = { GTL_NUMCHARS | GTL_PRECISE, 1200 };
    const LONG characters = (LONG)SendMessageW(control, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
    const size_t stored = ReadRichText(control, 0, characters).size();
    printf("%-48s %7.0f B shown  %4.0f B as rich text\n", kind.description,
           (after - before) * 1024 * 1024 / kLines, (double)stored / kLines);
    fflush(stdout);
    DestroyWindow(control);
    PumpPending();
}

} // namespace

int main()
{
    LoadLibraryA("riched20.dll");
    HWND host = CreateWindowExA(0, "STATIC", "line cost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 440, NULL,
                                NULL, NULL, NULL);
    printf("per line, %d lines of each kind in a visible rich edit:\n", kLines);
    for (const Kind& kind : kKinds)
        Measure(host, kind);
    return 0;
}
