// Plays a server transcript into a logged-in chat window and judges what the
// window sent back. The module is loaded through its exports only; a peer on
// loopback plays the server.
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
// other CR, LF or NUL, takes at most 512 bytes, and is registration (USER,
// NICK, JOIN, NickServ), PONG, QUIT after a KICK or 432 in the transcript, or
// a CTCP answer within the answer budget. A crash ends the process itself.
#include <winsock2.h>

#include "client/control_ids.h"
#include "include/talvo_irc.h"
#include "tools/host_kit.h"
#include "protocol/ctcp.h"

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

// Case-insensitive: whether the transcript holds the command anywhere.
bool MentionsCommand(const std::string& transcript, const char* command)
{
    std::string upper = transcript;
    for (char& c : upper)
        c = (char)toupper((unsigned char)c);
    return upper.find(command) != std::string::npos;
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

        const bool registration = StartsWith(text, "USER ") || StartsWith(text, "NICK ") ||
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
bool Play(LoopbackPeer& peer, const std::string& transcript, unsigned long seed)
{
    std::mt19937 sizes(seed);
    for (size_t offset = 0; offset < transcript.size();) {
        const size_t count = 1 + sizes() % kLargestChunk;
        const size_t taken = count < transcript.size() - offset ? count : transcript.size() - offset;
        if (!peer.Send(transcript.data() + offset, taken)) {
            printf("the client left after %u of %u bytes\n", (unsigned)offset, (unsigned)transcript.size());
            return false;
        }
        offset += taken;
        PumpUntilIdle(2000);
        peer.Drain();
    }
    return true;
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
    const bool played = Play(peer, transcript, seed);
    const bool synchronised = played && Synchronise(peer, !transcript.empty() && transcript.back() == '\n');
    PumpUntilIdle(200);
    peer.Drain();

    Judge judge = { MentionsCommand(transcript, "KICK") || MentionsCommand(transcript, "432"), {}, {} };
    for (size_t i = 0; i < peer.Lines().size(); ++i) {
        const SentLine& line = peer.Lines()[i];
        printf("%s %s\n", i < loginLines ? "login:" : "sent: ", Escape(line.bytes).c_str());
        judge.Check(line);
    }
    if (!peer.Unfinished().empty())
        judge.Fault("line not ended by CR LF", peer.Unfinished());
    judge.CheckAnswerPace();
    if (!synchronised && !peer.Closed())
        judge.faults.push_back("the closing PING was not answered, yet the connection is open");

    const bool survived = WindowAnswers(dialog);
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
