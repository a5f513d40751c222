#include "output/scrollback_control.h"

#include <richedit.h>

#include "output/page_output.h"
#include "output/rich_stream.h"
#include "output/scrollback.h"

#include <string>
#include <vector>

namespace {

struct OutputScrollback {
    HWND hDialog;
    uint32_t shownLines;
    CStoredLines stored;
    // Set and cleared by the reader's own scrolling only: the module's
    // writes and rebuilds move the view too, and the view's geometry just
    // after them is no proof of where the reader is.
    bool readerScrolledUp;
    // The reader drags the scroll bar's thumb.
    bool thumbTracked;
    // A rebuild that waited for the reader to let go of the mouse.
    bool showDeferred;
    bool checkDeferred;
};

const char kCheckPending[] = "TalvoScrollbackCheck";
// The rich-edit class's own procedure, the same for every output control.
WNDPROC g_richEditProc;

OutputScrollback* ScrollbackOf(HWND output)
{
    return output ? (OutputScrollback*)GetWindowLongPtrA(output, GWLP_USERDATA) : NULL;
}

LONG TextLength(HWND output)
{
    GETTEXTLENGTHEX length = { GTL_NUMCHARS | GTL_PRECISE, 1200 };
    const LRESULT total = SendMessageW(output, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
    return total > 0 ? (LONG)total : 0;
}

// Where the text left after the oldest `lines` lines starts: the control's
// text is read from its start into `text`, as far as the cut needs.
LONG FindCut(HWND output, uint32_t lines, uint32_t shown, std::u16string& text)
{
    const LONG total = TextLength(output);
    if (total == 0)
        return 0;
    // Lines are about as long as the average: a guess a quarter over it
    // seldom needs a second read.
    size_t wanted = (size_t)((double)total * (lines + 1) / (shown ? shown : 1) * 1.25) + 256;
    for (;;) {
        if (wanted > (size_t)total)
            wanted = (size_t)total;
        text.resize(wanted + 1);
        GETTEXTEX request = {};
        request.cb = (DWORD)(text.size() * sizeof(char16_t));
        request.flags = GT_DEFAULT;
        request.codepage = 1200;
        const LRESULT read = SendMessageW(output, EM_GETTEXTEX, (WPARAM)&request, (LPARAM)&text[0]);
        const size_t got = read > 0 ? (size_t)read : 0;
        // Asked for everything, what came back is all there is.
        const bool complete = wanted == (size_t)total || got >= (size_t)total;
        const size_t cut = FindTrimCut(text.data(), got, complete, lines);
        if (cut != SIZE_MAX)
            return (LONG)cut;
        wanted *= 2;
    }
}

// How far below the top of the text the character at `position` lies:
// both places are read in the control's current view, whatever it is.
LONG TextY(HWND output, LONG position)
{
    POINTL at = {};
    POINTL top = {};
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&at, position);
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&top, 0);
    return at.y - top.y;
}

// Where the view starts, in pixels from the top of the text, as
// EM_SETSCROLLPOS takes it. EM_GETSCROLLPOS scales its answer down to 16 bits
// once the text is taller than 65,535 pixels (a few thousand lines), so the
// view is read from where the first character is drawn. Wine's rich edit
// can draw it below the top after a scroll to the top.
POINT ReadView(HWND output)
{
    POINTL first = {};
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&first, 0);
    RECT format = {};
    SendMessageA(output, EM_GETRECT, 0, (LPARAM)&format);
    POINT view = { 0, format.top - first.y };
    if (view.y < 0)
        view.y = 0;
    return view;
}

// Whether the last line is in view, read from the text's own layout: the
// scroll bar of a hidden page's control is not kept up to date. The page is
// the scroll bar's where it has one: Wine's rich edit counts a page a little
// taller than the control's inside and scrolls to the bottom by it.
bool IsScrolledToBottom(HWND output)
{
    const LONG length = TextLength(output);
    if (length == 0)
        return true;
    RECT area;
    GetClientRect(output, &area);
    LONG page = area.bottom;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_PAGE;
    if (GetScrollInfo(output, SB_VERT, &info) && (LONG)info.nPage > page)
        page = (LONG)info.nPage;
    return ReadView(output).y + page > TextY(output, length - 1);
}

bool IsScrolledToTop(HWND output)
{
    return ReadView(output).y == 0;
}

bool IsNavigationKey(WPARAM key)
{
    return key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT || key == VK_HOME ||
           key == VK_END;
}

bool IsReaderScroll(UINT message, WPARAM wParam)
{
    return message == WM_MOUSEWHEEL || message == WM_VSCROLL ||
           (message == WM_KEYDOWN && IsNavigationKey(wParam));
}

// A drag of the thumb is not yet a scroll to the top: it ends with
// SB_THUMBPOSITION and SB_ENDSCROLL.
bool IsUpwardScroll(UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_MOUSEWHEEL: return GET_WHEEL_DELTA_WPARAM(wParam) > 0;
    case WM_VSCROLL:    return LOWORD(wParam) == SB_LINEUP || LOWORD(wParam) == SB_PAGEUP ||
                               LOWORD(wParam) == SB_TOP || LOWORD(wParam) == SB_THUMBPOSITION ||
                               LOWORD(wParam) == SB_ENDSCROLL;
    case WM_KEYDOWN:    return wParam == VK_UP || wParam == VK_PRIOR || wParam == VK_HOME;
    default:            return false;
    }
}

// The reader holds the control with the mouse: the scroll bar's drag, or a
// selection, runs its own message loop, and destroying the control under it
// would pull the window from under the loop.
bool IsHeldByReader(HWND output, const OutputScrollback& scrollback)
{
    return scrollback.thumbTracked || GetCapture() == output;
}

// Asks again for the rebuilds that waited while the reader held the mouse.
void ResumeDeferred(HWND output, OutputScrollback& scrollback)
{
    if (IsHeldByReader(output, scrollback))
        return;
    if (scrollback.showDeferred) {
        scrollback.showDeferred = false;
        PostMessageA(scrollback.hDialog, WM_SCROLLBACK, kShowStoredLines, (LPARAM)output);
    }
    if (scrollback.checkDeferred) {
        scrollback.checkDeferred = false;
        RequestScrollbackCheck(scrollback.hDialog);
    }
}

// Follows the reader's own scrolling once the control has done it: where
// the reader is, and a reader who reaches the top of what the control shows
// gets the stored lines above it.
void FollowReader(HWND output, OutputScrollback& scrollback, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CAPTURECHANGED && (HWND)lParam != output) {
        ResumeDeferred(output, scrollback);
        return;
    }
    if (!IsReaderScroll(message, wParam))
        return;
    if (message == WM_VSCROLL) {
        scrollback.thumbTracked = LOWORD(wParam) == SB_THUMBTRACK;
        ResumeDeferred(output, scrollback);
    }
    scrollback.readerScrolledUp = !(message == WM_VSCROLL && LOWORD(wParam) == SB_BOTTOM) &&
                                  !IsScrolledToBottom(output);
    if (!scrollback.stored.IsEmpty() && IsUpwardScroll(message, wParam) && IsScrolledToTop(output))
        PostMessageA(scrollback.hDialog, WM_SCROLLBACK, kShowStoredLines, (LPARAM)output);
}

LRESULT CALLBACK OutputProc(HWND output, UINT message, WPARAM wParam, LPARAM lParam)
{
    OutputScrollback* scrollback = ScrollbackOf(output);
    const LRESULT result = CallWindowProcA(g_richEditProc, output, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(output, GWLP_USERDATA, 0);
        delete scrollback;
    } else if (scrollback) {
        FollowReader(output, *scrollback, message, wParam, lParam);
    }
    return result;
}

void ApplyOutputSettings(HWND output)
{
    SendMessageA(output, EM_AUTOURLDETECT, TRUE, 0);
    const LRESULT eventMask = SendMessageA(output, EM_GETEVENTMASK, 0, 0);
    SendMessageA(output, EM_SETEVENTMASK, 0, eventMask | ENM_LINK);
    SendMessageA(output, EM_SETBKGNDCOLOR, 0, RGB(240, 240, 240));
    // Lines arrive as rich text, which the control's text limit (32,767
    // characters unless set) would cut off.
    SendMessageA(output, EM_EXLIMITTEXT, 0, 0x7ffffffe);
    // Nothing in an output control is ever undone; its undo record would
    // only hold on to memory.
    SendMessageA(output, EM_SETUNDOLIMIT, 0, 0);
    WNDPROC own = (WNDPROC)SetWindowLongPtrA(output, GWLP_WNDPROC, (LONG_PTR)&OutputProc);
    if (own != &OutputProc)
        g_richEditProc = own;
}

// A fresh control in the old one's place, filled with `parts` of rich text
// in order; the scrollback record moves over. Wine's rich edit frees a whole
// control quickly, where deleting its text costs time for every run.
HWND ReplaceOutput(HWND old, const std::vector<const std::string*>& parts)
{
    HWND page = GetParent(old);
    RECT rect;
    GetWindowRect(old, &rect);
    MapWindowPoints(NULL, page, (POINT*)&rect, 2);
    HWND fresh = CreateWindowExA(GetWindowLongA(old, GWL_EXSTYLE), "RichEdit20A", "",
                                 GetWindowLongA(old, GWL_STYLE), rect.left, rect.top, 0, 0, page,
                                 (HMENU)(INT_PTR)GetDlgCtrlID(old),
                                 (HINSTANCE)GetWindowLongPtrA(old, GWLP_HINSTANCE), NULL);
    if (!fresh)
        return NULL;
    // Sized once it exists, behind the old control while it fills, so that
    // nothing flickers. Wine's rich edit takes its page from the client area
    // it had when created, before its scroll bars appeared, until WM_SIZE:
    // created at its full size, its page was the height of the horizontal
    // scroll bar taller than what shows, and the bottom hid the newest line.
    SetWindowPos(fresh, old, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOACTIVATE);
    SendMessageA(fresh, WM_SETFONT, (WPARAM)SendMessageA(old, WM_GETFONT, 0, 0), FALSE);
    ApplyOutputSettings(fresh);
    SendMessageA(fresh, WM_SETREDRAW, FALSE, 0);
    for (const std::string* part : parts)
        AppendRichText(fresh, *part);
    SendMessageA(fresh, WM_SETREDRAW, TRUE, 0);

    SetWindowLongPtrA(fresh, GWLP_USERDATA, GetWindowLongPtrA(old, GWLP_USERDATA));
    SetWindowLongPtrA(old, GWLP_USERDATA, 0);
    RememberOutput(page, fresh);
    const bool focused = GetFocus() == old;
    DestroyWindow(old);
    if (focused)
        SetFocus(fresh);
    InvalidateRect(fresh, NULL, TRUE);
    return fresh;
}

// Keeps only the newest `keep` lines in the control. The older ones are
// stored in blocks of `storeBlock` lines, so that they can go a block at a
// time; with `storeBlock` 0 they go. A reader at the bottom stays there; one
// who scrolled up keeps the same text at the top of the view, unless that
// text was among the lines that left. A control the reader holds with the
// mouse is left as it is until let go. Returns the control that shows the
// conversation from now on: a rebuild replaces it.
HWND ShrinkToNewest(HWND output, uint32_t keep, uint32_t storeBlock)
{
    OutputScrollback* scrollback = ScrollbackOf(output);
    if (!scrollback || scrollback->shownLines <= keep)
        return output;
    if (IsHeldByReader(output, *scrollback)) {
        scrollback->checkDeferred = true;
        return output;
    }
    const uint32_t leaving = scrollback->shownLines - keep;
    std::u16string text;
    const LONG cut = FindCut(output, leaving, scrollback->shownLines, text);
    const bool atBottom = !scrollback->readerScrolledUp;
    POINT view = ReadView(output);
    const LONG gone = TextY(output, cut);

    std::vector<CStoredLines::Block> blocks;
    LONG from = 0;
    for (uint32_t done = 0; storeBlock > 0 && done < leaving;) {
        const uint32_t next = leaving - done > storeBlock ? done + storeBlock : leaving;
        const LONG to = next == leaving ? cut : (LONG)FindTrimCut(text.data(), (size_t)cut, true, next);
        std::string richText = ReadRichText(output, from, to);
        RemoveSingleSpacing(richText);
        blocks.push_back(CStoredLines::Block{ std::move(richText), next - done });
        from = to;
        done = next;
    }
    const std::string newer = ReadRichText(output, cut, TextLength(output));
    HWND fresh = ReplaceOutput(output, { &newer });
    if (!fresh)
        return output;
    scrollback->shownLines = keep;
    for (CStoredLines::Block& block : blocks)
        scrollback->stored.Add(std::move(block.richText), block.lines);
    if (atBottom) {
        SendMessageA(fresh, WM_VSCROLL, SB_BOTTOM, 0);
    } else {
        view.y = view.y > gone ? view.y - gone : 0;
        SendMessageA(fresh, EM_SETSCROLLPOS, 0, (LPARAM)&view);
    }
    return fresh;
}

// What a conversation can give up for the window: its stored lines, or with
// none stored, what its control holds.
uint32_t GivableLines(const OutputScrollback& scrollback)
{
    return scrollback.stored.IsEmpty() ? scrollback.shownLines : scrollback.stored.Lines();
}

// The server tab and the channel are the first two tabs.
const ScrollbackLimits& LimitsOfTab(int index)
{
    return index < 2 ? kSharedScrollback : kPrivateScrollback;
}

} // namespace

void ConfigureOutput(HWND output, HWND dialog)
{
    ApplyOutputSettings(output);
    SetWindowLongPtrA(output, GWLP_USERDATA,
                      (LONG_PTR) new OutputScrollback{ dialog, 0, CStoredLines(), false, false, false, false });
}

void AddShownLines(HWND output, uint32_t lines)
{
    if (OutputScrollback* scrollback = ScrollbackOf(output))
        scrollback->shownLines += lines;
}

void RequestScrollbackCheck(HWND dialog)
{
    if (!dialog || GetPropA(dialog, kCheckPending))
        return;
    if (PostMessageA(dialog, WM_SCROLLBACK, kCheckScrollback, 0))
        SetPropA(dialog, kCheckPending, (HANDLE)1);
}

void CancelScrollbackCheck(HWND dialog)
{
    if (dialog)
        RemovePropA(dialog, kCheckPending);
}

// The stored lines come back above what the control shows; the text in
// view stays where it was.
void ShowStoredLines(HWND output)
{
    OutputScrollback* scrollback = ScrollbackOf(output);
    if (!scrollback || scrollback->stored.IsEmpty())
        return;
    if (IsHeldByReader(output, *scrollback)) {
        scrollback->showDeferred = true;
        return;
    }
    POINT view = ReadView(output);
    const LONG shownLength = TextLength(output);
    const std::string shown = ReadRichText(output, 0, shownLength);
    const uint32_t storedLines = scrollback->stored.Lines();
    std::vector<CStoredLines::Block> blocks = scrollback->stored.TakeAll();
    std::vector<const std::string*> parts;
    for (const CStoredLines::Block& block : blocks)
        parts.push_back(&block.richText);
    parts.push_back(&shown);
    HWND fresh = ReplaceOutput(output, parts);
    if (!fresh) {
        for (CStoredLines::Block& block : blocks)
            scrollback->stored.Add(std::move(block.richText), block.lines);
        return;
    }
    scrollback->shownLines += storedLines;
    view.y += TextY(fresh, TextLength(fresh) - shownLength);
    SendMessageA(fresh, EM_SETSCROLLPOS, 0, (LPARAM)&view);
}

void KeepScrollbackBounds(const HWND outputs[], int count)
{
    if (count > kMaxConversations)
        count = kMaxConversations;
    // A rebuild replaces a control: the window goes on with the new one.
    HWND current[kMaxConversations] = {};
    uint32_t kept[kMaxConversations] = {};
    uint32_t givable[kMaxConversations] = {};
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        current[i] = outputs[i];
        OutputScrollback* scrollback = ScrollbackOf(current[i]);
        if (!scrollback)
            continue;
        const ScrollbackLimits& limits = LimitsOfTab(i);
        // A reader scrolled up is left alone, unless the control would
        // grow past everything the conversation keeps.
        if (ShouldShrinkShown(scrollback->shownLines, limits) && !scrollback->readerScrolledUp)
            current[i] = ShrinkToNewest(current[i], limits.shown, limits.block);
        else if (scrollback->shownLines > limits.kept + limits.block)
            current[i] = ShrinkToNewest(current[i], limits.kept, limits.block);
        scrollback->stored.DropBeyond(limits.kept, scrollback->shownLines);
        kept[i] = scrollback->stored.Lines() + scrollback->shownLines;
        givable[i] = GivableLines(*scrollback);
        total += kept[i];
    }
    // Stored blocks go first, oldest first; a conversation with none gives
    // up the oldest lines its control shows.
    if (total <= kWindowScrollback.lines)
        return;
    const uint64_t target = kWindowScrollback.lines - kWindowScrollback.block;
    while (total > target) {
        const int i = ChooseConversationToTrim(kept, givable, (size_t)count);
        if (i < 0)
            break;
        OutputScrollback* scrollback = ScrollbackOf(current[i]);
        const ScrollbackLimits& limits = LimitsOfTab(i);
        uint32_t removed;
        if (!scrollback->stored.IsEmpty()) {
            removed = scrollback->stored.DropOldest();
        } else {
            // As much as the window needs, a block at least: a rebuild that
            // freed only a few lines would come again at once. Under the
            // window's bound a conversation may keep fewer than it shows.
            const uint32_t before = scrollback->shownLines;
            uint32_t leaving = total - target > limits.block ? (uint32_t)(total - target) : limits.block;
            if (leaving > before)
                leaving = before;
            current[i] = ShrinkToNewest(current[i], before - leaving, 0);
            removed = before - scrollback->shownLines;
        }
        kept[i] -= removed;
        total -= removed;
        // A control that could not be rebuilt has nothing more to give.
        givable[i] = removed > 0 ? GivableLines(*scrollback) : 0;
    }
}
