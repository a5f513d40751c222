#include "client/input_keys.h"

#include "client/chat_connection.h"
#include "client/control_ids.h"
#include "client/input_history.h"
#include "client/nick_completion.h"
#include "client/typed_text.h"
#include "client/user_list.h"

#include <richedit.h>

#include <string>

namespace {

const char kKeysProperty[] = "TalvoInputKeys";

struct InputKeys {
    WNDPROC previousProc;
    CInputHistory history;
    CNickCompletion completion;
};

// The input last looked up, with its keys: every channel line notes its
// speaker, and under Wine a property read is a round trip to the window
// server.
thread_local HWND t_hLastInput;
thread_local InputKeys* t_pLastKeys;

InputKeys* KeysOf(HWND input)
{
    if (input != t_hLastInput) {
        t_pLastKeys = (InputKeys*)GetPropA(input, kKeysProperty);
        t_hLastInput = input;
    }
    return t_pLastKeys;
}

void ForgetLastInput()
{
    t_hLastInput = NULL;
    t_pLastKeys = NULL;
}

class CUserListNicks final : public INickList {
public:
    explicit CUserListNicks(HWND list) : m_hList(list) {}
    int NickCount() const override
    {
        const LRESULT count = SendMessageA(m_hList, LB_GETCOUNT, 0, 0);
        return count > 0 ? (int)count : 0;
    }
    const char* NickAt(int index) const override { return UserListNick(m_hList, index); }

private:
    HWND m_hList;
};

// The server's case mapping once it said one, the default rules' before.
CaseMapping MappingOf(HWND dialog)
{
    const CChatConnection* chat = CChatConnection::Of(dialog);
    if (chat && chat->Server())
        return chat->Server()->Rules().caseMapping;
    ServerRules defaults;
    ResetServerRules(defaults);
    return defaults.caseMapping;
}

// The control counts UTF-16 units; the text is UTF-8, where a unit takes
// one to three bytes and a four-byte letter takes two units.
size_t ByteOfPosition(const std::string& text, LONG position)
{
    size_t at = 0;
    for (LONG units = 0; at < text.size() && units < position;) {
        const unsigned char lead = (unsigned char)text[at];
        units += lead >= 0xF0 ? 2 : 1;
        at += lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    }
    return at < text.size() ? at : text.size();
}

LONG PositionOfByte(const std::string& text, size_t bytes)
{
    LONG units = 0;
    for (size_t at = 0; at < bytes && at < text.size(); ++at) {
        const unsigned char byte = (unsigned char)text[at];
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

void ReplaceInputRange(HWND input, LONG start, LONG end, const char* text)
{
    CHARRANGE range = { start, end };
    SendMessageA(input, EM_EXSETSEL, 0, (LPARAM)&range);
    InsertInputText(input, text);
}

// Up and Down walk the history while the input holds one line; with more
// lines they move the caret.
bool RecallLine(HWND input, InputKeys& keys, bool older)
{
    const std::string text = ReadInputText(input);
    if (text.find_first_of("\r\n") != std::string::npos)
        return false;
    const char* line = older ? keys.history.StepOlder(text.c_str()) : keys.history.StepNewer();
    if (line)
        ReplaceInputRange(input, 0, -1, line);
    return line != nullptr;
}

void CompleteNick(HWND input, InputKeys& keys)
{
    const std::string text = ReadInputText(input);
    CHARRANGE selection;
    SendMessageA(input, EM_EXGETSEL, 0, (LPARAM)&selection);
    const size_t caret = ByteOfPosition(text, selection.cpMax);
    HWND dialog = GetParent(input);
    const CUserListNicks members(GetDlgItem(dialog, IDC_USER_LIST));
    NickEdit edit;
    if (keys.completion.Complete(members, MappingOf(dialog), text.c_str(), caret, edit))
        ReplaceInputRange(input, PositionOfByte(text, edit.start), PositionOfByte(text, edit.end), edit.text);
}

bool IsPlainKey()
{
    return GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

// True when the key is done with and the control must not see it.
bool OnKey(HWND input, InputKeys& keys, UINT message, WPARAM key)
{
    if (message == WM_CHAR)
        return key == '\t';
    if (message != WM_KEYDOWN || !IsPlainKey())
        return false;
    switch (key) {
    case VK_UP:   return RecallLine(input, keys, true);
    case VK_DOWN: return RecallLine(input, keys, false);
    case VK_TAB:  CompleteNick(input, keys); return true;
    default:      return false;
    }
}

// The system calls this: no exception may leave it.
LRESULT CALLBACK InputKeysProc(HWND input, UINT message, WPARAM wParam, LPARAM lParam)
{
    InputKeys* keys = KeysOf(input);
    if (!keys)
        return DefWindowProcA(input, message, wParam, lParam);
    const WNDPROC previous = keys->previousProc;
    try {
        if (message == WM_NCDESTROY) {
            RemovePropA(input, kKeysProperty);
            ForgetLastInput();
            delete keys;
        } else if (OnKey(input, *keys, message, wParam)) {
            return 0;
        }
    } catch (...) {
        return 0;
    }
    const LRESULT result = CallWindowProcA(previous, input, message, wParam, lParam);
    // The dialog's tab order passes Tab on to the line, which keeps it.
    return message == WM_GETDLGCODE ? result | DLGC_WANTTAB : result;
}

} // namespace

void TakeOverInputKeys(HWND input)
{
    if (!input || KeysOf(input))
        return;
    InputKeys* keys = new InputKeys();
    SetPropA(input, kKeysProperty, keys);
    ForgetLastInput();
    keys->previousProc = (WNDPROC)SetWindowLongPtrA(input, GWLP_WNDPROC, (LONG_PTR)&InputKeysProc);
}

void RememberSentInput(HWND input, const char* text)
{
    if (InputKeys* keys = KeysOf(input))
        keys->history.AddSentLine(text);
}

void NoteChannelSpeaker(HWND input, const char* nick)
{
    if (InputKeys* keys = KeysOf(input))
        keys->completion.NoteSpeaker(MappingOf(GetParent(input)), nick);
}
