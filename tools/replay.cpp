// Plays a server transcript into a logged-in chat window and judges what the
// window sent back and what it shows. The module is loaded through its
// exports only; a peer on loopback plays the server.
//
//   replay.exe TRANSCRIPT [SEED]
//
// The transcript is raw bytes, sent after a welcome and the join of
// "#marketbay" in chunks of 1 to 1024 bytes whose sizes come from SEED
// (default 1), so that a run can be repeated exactly. Between chunks the
// window takes in what arrived. At the end a PING (after a line feed if the
// transcript lacks one) shows that everything was read.
//
// Prints every line the window sent, escaped, then one verdict line and
// every broken rule. Exit code 0 only when the window survived (it exists and
// answers messages) and broke no rule: each sent line ends in CR LF, holds no
// other CR, LF or NUL, takes at most 512 bytes, and is registration (CAP,
// AUTHENTICATE, USER, NICK, JOIN, NickServ), PONG, QUIT once the transcript
// ended the session, or a CTCP answer within the answer budget. Only a KICK
// of the window's own nick or a 432 refusing it, read as parsed lines, end
// the session: the window may then say QUIT and close, and that line must be
// the transcript's last. TRANSCRIPT with ".expect" for ".irc", when present,
// says what the window must and must not show (see JudgeWindow). A crash
// ends the process itself.
#include <winsock2.h>

#include "client/control_ids.h"
#include "include/talvo_irc.h"
#include "net/line_assembler.h"
#include "net/pace.h"
#include "protocol/ctcp.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"
#include "protocol/words.h"
#include "tools/host_kit.h"

#include <commctrl.h>
#include <richedit.h>

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

namespace {

const char kNick[] = "tester";
const char kWelcome[] = ":irc.replay 001 tester :Welcome, tester\r\n"
                        ":tester!t@127.0.0.1 JOIN :#marketbay\r\n";
const char kSyncPing[] = "PING :replay-sync\r\n";
const char kSyncPong[] = "PONG :replay-sync\r\n";
const size_t kLineLimit = 512;
const size_t kLargestChunk = 1024;
// Ticks an answer may reach the peer late, behind the window's own clock.
const uint32_t kTimingSlack = 500;

// Takes in every waiting message until none has come for a few milliseconds
// (or `limit` milliseconds have passed).
void PumpUntilIdle(DWORD limit)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limit) {
        MSG msg;
        bool handled = false;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            handled = true;
        }
        if (!handled && MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT) == WAIT_TIMEOUT)
            return;
    }
}

struct SentLine {
    std::string bytes;  // as sent, CR LF included when present
    DWORD tick;         // when the peer read it
};

// A one-client server on loopback: sends chunks and records the client's lines.
class LoopbackPeer {
public:
    bool Listen()
    {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return false;
        m_listener = ListenOnLoopback(m_port);
        return m_listener != INVALID_SOCKET;
    }
    ~LoopbackPeer()
    {
        if (m_client != INVALID_SOCKET)
            closesocket(m_client);
        if (m_listener != INVALID_SOCKET)
            closesocket(m_listener);
        WSACleanup();
    }

    unsigned short Port() const { return m_port; }

    bool WaitForClient()
    {
        for (int i = 0; i < 1000 && m_client == INVALID_SOCKET; ++i) {
            m_client = accept(m_listener, NULL, NULL);
            PumpUntilIdle(10);
        }
        if (m_client == INVALID_SOCKET)
            return false;
        u_long nonBlocking = 1;
        ioctlsocket(m_client, FIONBIO, &nonBlocking);
        return true;
    }

    // Sends all of bytes, letting the window read while the socket is full.
    // False once the client is gone.
    bool Send(const char* bytes, size_t count)
    {
        size_t sent = 0;
        for (int stalls = 0; sent < count && stalls < 2000 && !m_closed;) {
            const int n = send(m_client, bytes + sent, (int)(count - sent), 0);
            if (n > 0) {
                sent += n;
                continue;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK)
                return false;
            ++stalls;
            PumpUntilIdle(20);
            Drain();
        }
        return sent == count && !m_closed;
    }

    // Reads what the client has sent; complete lines join the record.
    void Drain()
    {
        char chunk[4096];
        for (int i = 0; i < 1000; ++i) {
            const int n = recv(m_client, chunk, sizeof chunk, 0);
            if (n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK))
                m_closed = true;
            if (n <= 0)
                break;
            m_pending.append(chunk, n);
        }
        for (size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
            m_lines.push_back({ m_pending.substr(0, end + 1), GetTickCount() });
            m_pending.erase(0, end + 1);
        }
    }

    bool Closed() const { return m_closed; }
    const std::vector<SentLine>& Lines() const { return m_lines; }
    // Bytes after the last line feed: a line never finished.
    const std::string& Unfinished() const { return m_pending; }

private:
    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    unsigned short m_port = 0;
    bool m_closed = false;
    std::string m_pending;
    std::vector<SentLine> m_lines;
};

std::string Escape(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c < 0x20 || c >= 0x7f || c == '\\') {
            char code[8];
            snprintf(code, sizeof code, "\\x%02x", c);
            text += code;
        } else {
            text += (char)c;
        }
    }
    return text;
}

bool StartsWith(const std::string& text, const char* head)
{
    return text.compare(0, strlen(head), head) == 0;
}

// One line of the transcript as the client frames and parses it.
struct TranscriptLine {
    size_t end;        // offset just past its line feed
    bool endsSession;  // a KICK of our nick, or a 432 refusing it
};

struct TranscriptFraming {
    const std::string* transcript;
    char buffer[2048];  // the client's line buffer
    std::vector<TranscriptLine> lines;
};

// Decided by the parsed command and target, as the handlers read them.
bool EndsSession(const char* received)
{
    static ParsedLine line;
    if (!ParseLine(received, line) || !line.hasPrefix || IsIgnoredSender(line.sender))
        return false;
    if (ReadCommandNumber(line.command) == 432)
        return EqualsIgnoringAsciiCase(line.target, kNick);
    if (!EqualsIgnoringAsciiCase(line.command, "KICK"))
        return false;
    char victim[kTokenSize];
    WordReader(line.rest).Next(victim, sizeof victim);
    return EqualsIgnoringAsciiCase(victim, kNick);
}

bool OnTranscriptLine(void* context)
{
    TranscriptFraming& framing = *static_cast<TranscriptFraming*>(context);
    const size_t start = framing.lines.empty() ? 0 : framing.lines.back().end;
    framing.lines.push_back({ framing.transcript->find('\n', start) + 1, EndsSession(framing.buffer) });
    return true;
}

std::vector<TranscriptLine> FrameTranscript(const std::string& transcript)
{
    TranscriptFraming framing = { &transcript, {}, {} };
    AppendReceivedBytes(framing.buffer, sizeof framing.buffer, 0, transcript.data(), (int)transcript.size(),
                        &OnTranscriptLine, &framing);
    return framing.lines;
}

bool IsCtcpAnswer(const std::string& text)
{
    const size_t colon = text.find(" :\x01");
    return StartsWith(text, "NOTICE ") && colon != std::string::npos &&
           text.find(' ', 7) == colon && text.size() >= colon + 4 && text.back() == '\x01';
}

struct Judge {
    bool quitAllowed;
    std::vector<std::string> faults;
    std::vector<DWORD> answerTicks;

    void Fault(const std::string& what, const std::string& line)
    {
        faults.push_back(what + ": " + Escape(line));
    }

    void Check(const SentLine& sent)
    {
        const std::string& bytes = sent.bytes;
        const bool ended = bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
        const std::string text = bytes.substr(0, bytes.size() - (ended ? 2 : 1));
        if (!ended)
            Fault("line not ended by CR LF", bytes);
        if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            Fault("CR, LF or NUL inside the line", bytes);
        if (bytes.size() > kLineLimit)
            Fault("line over 512 bytes", bytes);

        const bool registration = StartsWith(text, "CAP ") || StartsWith(text, "AUTHENTICATE ") ||
                                  StartsWith(text, "USER ") || StartsWith(text, "NICK ") ||
                                  StartsWith(text, "JOIN ") || StartsWith(text, "PRIVMSG NickServ :");
        const bool quit = StartsWith(text, "QUIT ") && quitAllowed;
        if (IsCtcpAnswer(text))
            answerTicks.push_back(sent.tick);
        else if (!registration && !quit && !StartsWith(text, "PONG "))
            Fault("line the user did not cause", bytes);
    }

    // Within any stretch of time the answers may be the burst plus one for
    // every interval that passed.
    void CheckAnswerPace()
    {
        for (size_t first = 0; first < answerTicks.size(); ++first) {
            for (size_t last = first; last < answerTicks.size(); ++last) {
                const uint32_t span = answerTicks[last] - answerTicks[first] + kTimingSlack;
                const size_t allowed = kCtcpAnswerBurst + span / kCtcpAnswerInterval;
                if (last - first + 1 > allowed) {
                    faults.push_back("CTCP answers over the budget: " + std::to_string(last - first + 1) +
                                     " in " + std::to_string(span - kTimingSlack) + " ms");
                    return;
                }
            }
        }
    }
};

bool ReadTranscript(const char* path, std::string& bytes)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    char block[65536];
    for (size_t n; (n = fread(block, 1, sizeof block, file)) > 0;)
        bytes.append(block, n);
    fclose(file);
    return true;
}

void LogIn(HWND dialog, unsigned short port)
{
    HWND servers = GetDlgItem(dialog, IDC_SERVER_LIST);
    SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM) "127.0.0.1");
    SendMessageA(servers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "127.0.0.1");
    SetDlgItemTextA(dialog, IDC_PORT, std::to_string(port).c_str());
    SetDlgItemTextA(dialog, IDC_NICK, kNick);
    SendMessageA(GetDlgItem(dialog, IDC_LOGIN), BM_CLICK, 0, 0);
}

// Plays the transcript in seeded chunks; false when the client left first.
// `reached` is how far the client may have read: the end of the chunk it
// left during, or the whole.
bool Play(LoopbackPeer& peer, const std::string& transcript, unsigned long seed, size_t& reached)
{
    std::mt19937 sizes(seed);
    reached = transcript.size();
    for (size_t offset = 0; offset < transcript.size();) {
        const size_t count = 1 + sizes() % kLargestChunk;
        const size_t taken = count < transcript.size() - offset ? count : transcript.size() - offset;
        if (!peer.Send(transcript.data() + offset, taken)) {
            printf("the client left after %u of %u bytes\n", (unsigned)offset, (unsigned)transcript.size());
            reached = offset + taken;
            return false;
        }
        offset += taken;
        PumpUntilIdle(2000);
        peer.Drain();
    }
    return true;
}

// A client that closed the connection must have read a line that ended the
// session, said QUIT, and left nothing of the transcript unread behind it.
void JudgeClose(Judge& judge, const std::vector<SentLine>& sent, const std::vector<TranscriptLine>& lines,
                size_t reached)
{
    size_t ending = 0;
    while (ending < lines.size() && lines[ending].end <= reached && !lines[ending].endsSession)
        ++ending;
    if (ending < lines.size() && lines[ending].end > reached)
        ending = lines.size();
    if (ending == lines.size()) {
        judge.faults.push_back("the client closed the connection, yet no line ended the session");
        return;
    }
    if (ending + 1 < lines.size()) {
        judge.faults.push_back("the session ended at line " + std::to_string(ending + 1) + " of " +
                               std::to_string(lines.size()) + ": the lines after it were never read");
    }
    if (sent.empty() || !StartsWith(sent.back().bytes, "QUIT "))
        judge.faults.push_back("the client closed the connection without a QUIT as its last line");
}

// Sends a PING and waits (bounded) for its PONG or for the client to leave.
bool Synchronise(LoopbackPeer& peer, bool afterLineFeed)
{
    const std::string ping = (afterLineFeed ? "" : "\n") + std::string(kSyncPing);
    const size_t before = peer.Lines().size();
    if (!peer.Send(ping.data(), ping.size()))
        return false;
    for (int i = 0; i < 3000 && !peer.Closed(); ++i) {
        PumpUntilIdle(10);
        peer.Drain();
        for (size_t line = before; line < peer.Lines().size(); ++line) {
            if (peer.Lines()[line].bytes == kSyncPong)
                return true;
        }
    }
    return false;
}

// What the window shows, in UTF-8: each conversation's text (line breaks
// as '\n'), the tab names (conversations[i] is tabs[i]'s) and the user
// list's entries.
struct Shown {
    std::vector<std::string> conversations;
    std::vector<std::string> tabs;
    std::vector<std::string> users;
};

std::string Utf8(const wchar_t* text, int length)
{
    std::string utf8(length * 3 + 1, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], (int)utf8.size(), NULL, NULL));
    return utf8;
}

// The controls' ANSI texts are the module's code page, 1251.
std::string Utf8FromModule(const char* text)
{
    std::wstring wide(strlen(text) + 1, L'\0');
    const int length = MultiByteToWideChar(1251, 0, text, -1, &wide[0], (int)wide.size());
    return Utf8(wide.c_str(), length > 0 ? length - 1 : 0);
}

std::string ConversationText(HWND output)
{
    GETTEXTLENGTHEX lengthQuery = { GTL_NUMCHARS | GTL_PRECISE, 1200 };
    const LRESULT length = SendMessageW(output, EM_GETTEXTLENGTHEX, (WPARAM)&lengthQuery, 0);
    std::wstring text(length > 0 ? length + 1 : 1, L'\0');
    GETTEXTEX query = {};
    query.cb = (DWORD)(text.size() * sizeof(wchar_t));
    query.flags = GT_DEFAULT;
    query.codepage = 1200;
    SendMessageW(output, EM_GETTEXTEX, (WPARAM)&query, (LPARAM)&text[0]);
    std::string utf8 = Utf8(text.c_str(), (int)wcslen(text.c_str()));
    for (char& c : utf8) {
        if (c == '\r')
            c = '\n';
    }
    return utf8;
}

// Each conversation scrolled to its top, as a reader would to see all of
// it: the lines its control no longer shows come back above the rest.
BOOL CALLBACK ScrollPageToTop(HWND child, LPARAM)
{
    char name[16] = "";
    GetClassNameA(child, name, sizeof name);
    HWND output = GetDlgItem(child, IDC_OUTPUT);
    if (strcmp(name, "#32770") == 0 && output)
        SendMessageA(output, WM_VSCROLL, SB_TOP, 0);
    return TRUE;
}

// The page in sight, the one of the selected tab (the host itself stays
// hidden, so the page's own style tells).
BOOL CALLBACK FindShownPage(HWND child, LPARAM page)
{
    char name[16] = "";
    GetClassNameA(child, name, sizeof name);
    if (strcmp(name, "#32770") != 0 || !(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
        return TRUE;
    *(HWND*)page = child;
    return FALSE;
}

// Clicks a tab, as a user does, and reads the conversation it brings in sight.
std::string ReadConversationOfTab(HWND dialog, HWND tabs, int index)
{
    NMHDR header = { tabs, IDC_TABS, (UINT)TCN_SELCHANGING };
    SendMessageA(dialog, WM_NOTIFY, IDC_TABS, (LPARAM)&header);
    SendMessageA(tabs, TCM_SETCURSEL, index, 0);
    header.code = (UINT)TCN_SELCHANGE;
    SendMessageA(dialog, WM_NOTIFY, IDC_TABS, (LPARAM)&header);
    HWND page = NULL;
    EnumChildWindows(tabs, &FindShownPage, (LPARAM)&page);
    HWND output = page ? GetDlgItem(page, IDC_OUTPUT) : NULL;
    return output ? ConversationText(output) : std::string();
}

Shown ReadWindow(HWND dialog)
{
    Shown shown;
    HWND tabs = GetDlgItem(dialog, IDC_TABS);
    EnumChildWindows(tabs, &ScrollPageToTop, 0);
    PumpPending();
    const int tabCount = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < tabCount; ++i) {
        char name[1024] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = name;
        item.cchTextMax = sizeof name;
        SendMessageA(tabs, TCM_GETITEMA, i, (LPARAM)&item);
        shown.tabs.push_back(Utf8FromModule(name));
        shown.conversations.push_back(ReadConversationOfTab(dialog, tabs, i));
    }
    HWND list = GetDlgItem(dialog, IDC_USER_LIST);
    const int userCount = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < userCount; ++i) {
        std::string entry(SendMessageA(list, LB_GETTEXTLEN, i, 0) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, i, (LPARAM)&entry[0]);
        shown.users.push_back(Utf8FromModule(entry.c_str()));
    }
    return shown;
}

bool AnyHolds(const std::vector<std::string>& texts, const std::string& piece)
{
    for (const std::string& text : texts) {
        if (text.find(piece) != std::string::npos)
            return true;
    }
    return false;
}

bool AnyIs(const std::vector<std::string>& texts, const std::string& whole)
{
    for (const std::string& text : texts) {
        if (text == whole)
            return true;
    }
    return false;
}

// An expectation's text: UTF-8, with \xNN for any byte and \\ for '\'.
std::string Unescape(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bytes += (char)strtoul(text.substr(i + 2, 2).c_str(), NULL, 16);
            i += 3;
        } else if (text[i] == '\\' && i + 1 < text.size()) {
            bytes += text[++i];
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// Whether the conversation of the tab named `tab` shows `text`.
bool TabShows(const Shown& shown, const std::string& tab, const std::string& text)
{
    for (size_t i = 0; i < shown.tabs.size(); ++i) {
        if (shown.tabs[i] == tab && shown.conversations[i].find(text) != std::string::npos)
            return true;
    }
    return false;
}

// Judges what the window shows against the expectation file, which holds
// one check a line ('#' starts a comment):
//   shows TAB: TEXT  the conversation of the tab named TAB shows TEXT
//   shows TEXT   some conversation shows TEXT (its first word ends in no ':')
//   lacks TEXT   no conversation, tab name or user list entry holds TEXT
//   tab NAME     a tab is named NAME
//   lists ENTRY  the user list holds ENTRY exactly
//   count N      the user list holds N entries
void JudgeWindow(Judge& judge, const Shown& shown, const std::string& expectations)
{
    size_t checks = 0;
    for (size_t start = 0; start < expectations.size();) {
        size_t end = expectations.find('\n', start);
        if (end == std::string::npos)
            end = expectations.size();
        const std::string line = expectations.substr(start, end - start);
        start = end + 1;
        const size_t space = line.find(' ');
        if (line.empty() || line[0] == '#' || space == std::string::npos)
            continue;
        const std::string kind = line.substr(0, space);
        const std::string text = Unescape(line.substr(space + 1));
        const size_t tabEnd = text.find(": ");
        const bool namesTab = tabEnd != std::string::npos && text.find(' ') == tabEnd + 1;
        ++checks;
        if (kind == "shows" && namesTab && !TabShows(shown, text.substr(0, tabEnd), text.substr(tabEnd + 2)))
            judge.Fault("the tab does not show", text);
        else if (kind == "shows" && !namesTab && !AnyHolds(shown.conversations, text))
            judge.Fault("the window does not show", text);
        else if (kind == "lacks" && (AnyHolds(shown.conversations, text) || AnyHolds(shown.tabs, text) ||
                                     AnyHolds(shown.users, text)))
            judge.Fault("the window shows", text);
        else if (kind == "tab" && !AnyIs(shown.tabs, text))
            judge.Fault("no tab is named", text);
        else if (kind == "lists" && !AnyIs(shown.users, text))
            judge.Fault("the user list lacks", text);
        else if (kind == "count" && shown.users.size() != strtoul(text.c_str(), NULL, 10))
            judge.Fault("the user list holds " + std::to_string(shown.users.size()) + " entries, not", text);
        else if (kind != "shows" && kind != "lacks" && kind != "tab" && kind != "lists" && kind != "count")
            judge.Fault("unknown expectation", line);
    }
    printf("window: %u conversations, %u tabs, %u users, %u expectations\n", (unsigned)shown.conversations.size(),
           (unsigned)shown.tabs.size(), (unsigned)shown.users.size(), (unsigned)checks);
}

bool WindowAnswers(HWND dialog)
{
    DWORD_PTR result = 0;
    return IsWindow(dialog) &&
           SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: replay TRANSCRIPT [SEED]\n");
        return 2;
    }
    std::string transcript;
    if (!ReadTranscript(argv[1], transcript)) {
        fprintf(stderr, "replay: cannot read %s\n", argv[1]);
        return 2;
    }
    const unsigned long seed = argc > 2 ? strtoul(argv[2], NULL, 10) : 1;

    // The host stays hidden: the corpus holds bursts of thousands of lines,
    // which a hidden output takes in many times faster than a drawn one.
    TalvoReceiveMessageProc receiveMessage;
    CreateWindowRecord record;
    HWND dialog = OpenChatWindow("replay", "Talvo IRC replay", false, receiveMessage, record);
    if (!dialog)
        return 1;
    HWND host = record.hParent;

    LoopbackPeer peer;
    if (!peer.Listen()) {
        fprintf(stderr, "replay: cannot listen on loopback\n");
        return 1;
    }
    LogIn(dialog, peer.Port());
    if (!peer.WaitForClient() || !peer.Send(kWelcome, strlen(kWelcome)) || !Synchronise(peer, true)) {
        fprintf(stderr, "replay: the window did not log in\n");
        return 1;
    }
    const size_t loginLines = peer.Lines().size();

    // A window still connected must answer the closing PING: otherwise it
    // stopped reading, or lost its place in the stream.
    size_t reached = 0;
    const bool played = Play(peer, transcript, seed, reached);
    const bool synchronised = played && Synchronise(peer, !transcript.empty() && transcript.back() == '\n');
    PumpUntilIdle(200);
    peer.Drain();

    const std::vector<TranscriptLine> lines = FrameTranscript(transcript);
    bool sessionEnds = false;
    for (const TranscriptLine& line : lines)
        sessionEnds = sessionEnds || line.endsSession;
    Judge judge = { sessionEnds, {}, {} };
    for (size_t i = 0; i < peer.Lines().size(); ++i) {
        const SentLine& line = peer.Lines()[i];
        printf("%s %s\n", i < loginLines ? "login:" : "sent: ", Escape(line.bytes).c_str());
        judge.Check(line);
    }
    if (!peer.Unfinished().empty())
        judge.Fault("line not ended by CR LF", peer.Unfinished());
    judge.CheckAnswerPace();
    if (peer.Closed())
        JudgeClose(judge, peer.Lines(), lines, reached);
    else if (!synchronised)
        judge.faults.push_back("the closing PING was not answered, yet the connection is open");

    const bool survived = WindowAnswers(dialog);
    if (survived) {
        std::string expectations;
        const std::string path = argv[1];
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".irc") == 0)
            ReadTranscript((path.substr(0, path.size() - 4) + ".expect").c_str(), expectations);
        JudgeWindow(judge, ReadWindow(dialog), expectations);
    }
    printf("verdict: %s, %u lines sent, %u CTCP answers, %u rules broken\n",
           survived ? "survived" : "did not survive", (unsigned)peer.Lines().size(),
           (unsigned)judge.answerTicks.size(), (unsigned)judge.faults.size());
    for (const std::string& fault : judge.faults)
        printf("broken: %s\n", fault.c_str());

    if (survived)
        receiveMessage(0, MM_DESTROY_WINDOW, record.pWindow, 0);
    DestroyWindow(host);
    return survived && judge.faults.empty() ? 0 : 1;
}
