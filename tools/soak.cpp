// A long soak of one chat window: a loopback peer logs it in, then sends a
// seeded, reproducible stream of server lines, realistic ones and mutated
// ones, in chunks as a server would, while messages are pumped. Nothing is
// answered; a PING every 50,000 lines (every tenth of a shorter run) checks
// that the client still answers with its PONG. Prints lines sent, time and
// the process's private bytes before, during and after, and a verdict line.
//
// The module is loaded through its exports only. The host window is never
// shown: output to a visible rich-edit control under Wine runs at about a
// hundred lines a second, a hidden one at a few thousand.
//
//   soak.exe [LINES] [SEED]     defaults: 200000 lines, seed 1
#include <winsock2.h>

#include "client/control_ids.h"
#include "include/talvo_irc.h"
#include "tools/host_kit.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

const char kNick[] = "tester";
// The figures are printed every 50,000 lines, or ten times in a shorter run.
const size_t kReportEvery = 50000;
const DWORD kAnswerTimeoutMs = 20000;
// However slow the client, the soak ends: an hour is far beyond any sane run.
const DWORD kRunLimitMs = 60 * 60 * 1000;

TalvoReceiveMessageProc g_receiveMessage;

// xorshift32: the same stream for the same seed on every machine.
class Random {
public:
    explicit Random(uint32_t seed) : m_state(seed ? seed : 0x9e3779b9u) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    // 0 to bound - 1.
    uint32_t Below(uint32_t bound) { return Next() % bound; }
    bool Chance(uint32_t percent) { return Below(100) < percent; }

private:
    uint32_t m_state;
};

// Realistic server lines and their mutations.
class LineMaker {
public:
    explicit LineMaker(uint32_t seed) : m_random(seed) {}

    std::string Next()
    {
        std::string line = Realistic();
        if (m_random.Chance(40))
            line = Mutated(line);
        m_previous = line;
        return line;
    }

private:
    std::string Nick()
    {
        static const char* const kNicks[] = { "alice", "bob", "carol", "dave", "Вася", "op_Petya" };
        return kNicks[m_random.Below(6)];
    }
    // Private senders come from a pool larger than the client's tab limit.
    std::string PrivateNick() { return "guest" + std::to_string(m_random.Below(150)); }
    std::string Prefix(const std::string& nick) { return ":" + nick + "!user@host.example.net "; }

    std::string Text()
    {
        static const char* const kWords[] = {
            "привет", "продаю", "меч", "+5", "недорого", "tester", "кто", "купит?",
            "\x03" "4красный\x03", "\x03" "12,8синий на жёлтом\x03", "\x02жирный\x02",
            "\x1fподчёркнутый\x1f", "\x0f", "%s%n%x", "http://example.net/a?b=c", ":)",
        };
        std::string text;
        const uint32_t count = 1 + m_random.Below(12);
        for (uint32_t i = 0; i < count; ++i) {
            if (i > 0)
                text += ' ';
            text += kWords[m_random.Below(sizeof kWords / sizeof kWords[0])];
        }
        return text;
    }

    std::string Realistic()
    {
        const std::string nick = Nick();
        switch (m_random.Below(16)) {
        case 0: case 1: case 2: case 3:
            return Prefix(nick) + "PRIVMSG #marketbay :" + Text();
        case 4:
            return Prefix(PrivateNick()) + "PRIVMSG " + kNick + " :" + Text();
        case 5: return Prefix(nick) + "JOIN :#marketbay";
        case 6: return Prefix(nick) + "PART #marketbay :" + Text();
        case 7: return Prefix(nick) + "QUIT :Quit: " + Text();
        case 8: return Prefix(nick) + "NICK :" + Nick();
        case 9: return Prefix(nick) + "MODE #marketbay " + (m_random.Chance(50) ? "+o " : "-v ") + Nick();
        case 10: return Prefix(nick) + "NOTICE " + kNick + " :" + Text();
        case 11: return Numeric(nick);
        case 12: return "PING :irc.test";
        case 13: return Prefix(nick) + "PRIVMSG #marketbay :\x01" "ACTION " + Text() + "\x01";
        case 14: return Ctcp(nick);
        default: return Prefix(nick) + "KICK #marketbay " + Nick() + " :" + Text();
        }
    }

    std::string Numeric(const std::string& nick)
    {
        const std::string head = std::string(":irc.test ");
        const std::string me = std::string(" ") + kNick + " ";
        switch (m_random.Below(10)) {
        case 0: return head + "311" + me + nick + " user host.example.net * :Реальное Имя";
        case 1: return head + "312" + me + nick + " irc.test :Test server";
        case 2: return head + "317" + me + nick + " " + std::to_string(m_random.Below(100000)) + " 1700000000 :seconds idle, signon time";
        case 3: return head + "318" + me + nick + " :End of WHOIS";
        case 4: return head + "319" + me + nick + " :@#marketbay #other";
        case 5: return head + "332" + me + "#marketbay :" + Text();
        case 6: return head + "333" + me + "#marketbay " + nick + " 1700000000";
        case 7: return head + "353" + me + "= #marketbay :@" + nick + " +" + Nick() + " " + PrivateNick();
        case 8: return head + "372" + me + ":- " + Text();
        default: return head + std::to_string(400 + m_random.Below(100)) + me + nick + " :" + Text();
        }
    }

    std::string Ctcp(const std::string& nick)
    {
        static const char* const kRequests[] = { "VERSION", "PING 1700000000", "TIME", "CLIENTINFO", "FINGER" };
        if (m_random.Chance(70))
            return Prefix(nick) + "PRIVMSG " + kNick + " :\x01" + kRequests[m_random.Below(5)] + "\x01";
        return Prefix(nick) + "NOTICE " + kNick + " :\x01PING " + std::to_string(m_random.Below(20)) + "\x01";
    }

    std::string Mutated(std::string line)
    {
        switch (m_random.Below(6)) {
        case 0: {  // random byte flips
            const uint32_t flips = 1 + m_random.Below(8);
            for (uint32_t i = 0; i < flips && !line.empty(); ++i)
                line[m_random.Below((uint32_t)line.size())] = (char)m_random.Below(256);
            return line;
        }
        case 1:  // truncation
            return line.substr(0, m_random.Below((uint32_t)line.size() + 1));
        case 2:  // the head of this line spliced onto the tail of the last one
            return line.substr(0, m_random.Below((uint32_t)line.size() + 1)) +
                   m_previous.substr(m_random.Below((uint32_t)m_previous.size() + 1));
        case 3: {  // a piece repeated up to a few thousand bytes
            const uint32_t from = m_random.Below((uint32_t)line.size());
            const std::string piece = line.substr(from, 1 + m_random.Below(40));
            std::string repeated;
            const uint32_t times = 1 + m_random.Below(3000 / (uint32_t)piece.size());
            for (uint32_t i = 0; i < times; ++i)
                repeated += piece;
            return line.insert(from, repeated);
        }
        case 4: {  // a stray CR, LF or NUL
            static const char kBreakers[] = { '\r', '\n', '\0' };
            line.insert(m_random.Below((uint32_t)line.size() + 1), 1, kBreakers[m_random.Below(3)]);
            return line;
        }
        default:  // nothing but random bytes
            line.assign(m_random.Below(600), '\0');
            for (char& c : line)
                c = (char)m_random.Below(256);
            return line;
        }
    }

    Random m_random;
    std::string m_previous;
};

// The loopback server side of the one connection.
class Peer {
public:
    Peer()
    {
        m_listener = ListenOnLoopback(m_port);
    }
    ~Peer()
    {
        Close();
        closesocket(m_listener);
    }

    unsigned short Port() const { return m_port; }
    bool Connected() const { return m_client != INVALID_SOCKET; }

    bool Accept()
    {
        const DWORD start = GetTickCount();
        while (m_client == INVALID_SOCKET && GetTickCount() - start < kAnswerTimeoutMs) {
            m_client = accept(m_listener, NULL, NULL);
            PumpFor(5);
        }
        if (m_client != INVALID_SOCKET)
            SetNonBlocking(m_client);
        return Connected();
    }

    // Sends all of text, pumping while the socket is full. False once the
    // client has gone.
    bool Send(const char* text, size_t length)
    {
        while (length > 0 && Connected()) {
            const int sent = send(m_client, text, (int)length, 0);
            if (sent > 0) {
                text += sent;
                length -= (size_t)sent;
            } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
                PumpFor(1);
                Drain();
            } else {
                Close();
            }
        }
        return Connected();
    }

    // Reads and drops what the client sent; notes a closed connection, and
    // whether a PONG came.
    void Drain()
    {
        char buffer[4096];
        while (Connected()) {
            const int received = recv(m_client, buffer, sizeof buffer, 0);
            if (received > 0) {
                m_heard.append(buffer, (size_t)received);
                CheckHeardLines();
            } else if (received < 0 && WSAGetLastError() == WSAEWOULDBLOCK) {
                return;
            } else {
                Close();
            }
        }
    }

    // Waits for "PONG" carrying token after a PING was sent.
    bool AwaitPong(const std::string& token)
    {
        const DWORD start = GetTickCount();
        while (Connected() && GetTickCount() - start < kAnswerTimeoutMs) {
            if (m_lastPong.find(token) != std::string::npos)
                return true;
            PumpFor(5);
            Drain();
        }
        return m_lastPong.find(token) != std::string::npos;
    }

    size_t heardLines = 0;
    size_t badHeardLines = 0;  // over 512 bytes, or a NUL inside

private:
    static void SetNonBlocking(SOCKET s)
    {
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
    }

    void Close()
    {
        if (m_client != INVALID_SOCKET)
            closesocket(m_client);
        m_client = INVALID_SOCKET;
        m_heard.clear();
    }

    void CheckHeardLines()
    {
        size_t end;
        while ((end = m_heard.find("\r\n")) != std::string::npos) {
            const std::string line = m_heard.substr(0, end);
            ++heardLines;
            if (line.size() + 2 > 512 || line.find('\0') != std::string::npos)
                NoteBadLine(line);
            if (line.compare(0, 5, "PONG ") == 0)
                m_lastPong = line;
            m_heard.erase(0, end + 2);
        }
        if (m_heard.size() > 512) {
            NoteBadLine(m_heard);
            m_heard.clear();
        }
    }

    // Shows the first few lines that break the rules, escaped.
    void NoteBadLine(const std::string& line)
    {
        if (++badHeardLines > 5)
            return;
        printf("soak: client sent a bad line (%u bytes): ", (unsigned)line.size());
        for (size_t i = 0; i < line.size() && i < 160; ++i) {
            const unsigned char c = (unsigned char)line[i];
            if (c < 32 || c == '\\')
                printf("\\x%02x", c);
            else
                putchar(c);
        }
        printf("\n");
    }

    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::string m_heard;
    std::string m_lastPong;
};

// The text the conversation controls hold: what memory grows with.
struct HeldText {
    int controls = 0;
    long characters = 0;
};

BOOL CALLBACK CountHeldText(HWND window, LPARAM context)
{
    char className[32];
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, "RichEdit20A") == 0) {
        HeldText* held = (HeldText*)context;
        ++held->controls;
        held->characters += GetWindowTextLengthA(window);
    }
    return TRUE;
}

void Report(const char* when, size_t lines, DWORD start, HWND dialog)
{
    HeldText held;
    EnumChildWindows(dialog, &CountHeldText, (LPARAM)&held);
    printf("soak: %-6s lines %7u  %6.1f s  committed private %6.1f MB  "
           "conversations %3d holding %ld chars\n",
           when, (unsigned)lines, (GetTickCount() - start) / 1000.0, CommittedPrivateMegabytes(),
           held.controls, held.characters);
    fflush(stdout);
}

// Fills in the login panel and presses "Зайти"; the peer accepts and
// welcomes the client onto the channel.
bool LogIn(HWND dialog, Peer& peer)
{
    LogInToLoopback(dialog, kNick, "127.0.0.1", peer.Port());
    if (!peer.Accept())
        return false;
    const std::string welcome = std::string(":irc.test 001 ") + kNick + " :Добро пожаловать\r\n:" +
                                kNick + "!u@127.0.0.1 JOIN :#marketbay\r\n:irc.test 353 " + kNick +
                                " = #marketbay :@" + kNick + " alice bob\r\n";
    return peer.Send(welcome.data(), welcome.size());
}

// Sends a PING after whatever half line is pending and waits for its PONG;
// a session that the lines before ended is logged in again first, once.
bool ClientAnswers(HWND dialog, Peer& peer, size_t lines, size_t& logins)
{
    const std::string token = "soak" + std::to_string(lines);
    const std::string ping = "\r\nPING :" + token + "\r\n";
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!peer.Connected()) {
            PumpFor(50);
            if (!LogIn(dialog, peer))
                return false;
            ++logins;
        }
        if (peer.Send(ping.data(), ping.size()) && peer.AwaitPong(token))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const size_t total = argc > 1 ? strtoul(argv[1], NULL, 10) : 200000;
    const uint32_t seed = argc > 2 ? strtoul(argv[2], NULL, 10) : 1;

    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);

    // Never shown: see the top of the file.
    CreateWindowRecord record;
    HWND dialog = OpenChatWindow("soak", "Talvo IRC soak", false, g_receiveMessage, record);
    if (!dialog)
        return 1;
    PumpFor(200);
    // The sound off, as in a busy channel: every mention of the nick would
    // play the message sound, and Wine without a sound card takes its time.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SOUND, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDC_SOUND));

    Peer peer;
    const DWORD start = GetTickCount();
    Report("before", 0, start, dialog);
    if (!LogIn(dialog, peer)) {
        fprintf(stderr, "soak: the window did not log in\n");
        return 1;
    }

    const size_t reportEvery = total / 10 && total / 10 < kReportEvery ? total / 10 : kReportEvery;
    printf("soak: %u lines, seed %u, chat window hidden\n", (unsigned)total, (unsigned)seed);
    LineMaker maker(seed);
    Random chunks(seed ^ 0x5eed5eedu);
    std::string pending;
    size_t lines = 0;
    size_t logins = 1;
    size_t unanswered = 0;
    bool inTime = true;
    while (lines < total && (inTime = GetTickCount() - start < kRunLimitMs)) {
        // A burst of lines, sent in chunks of 1 to 1024 bytes.
        const uint32_t burst = 1 + chunks.Below(200);
        for (uint32_t i = 0; i < burst && lines < total; ++i, ++lines) {
            pending += maker.Next();
            pending += "\r\n";
            if ((lines + 1) % reportEvery == 0) {
                peer.Send(pending.data(), pending.size());
                pending.clear();
                unanswered += ClientAnswers(dialog, peer, lines + 1, logins) ? 0 : 1;
                Report("during", lines + 1, start, dialog);
            }
        }
        for (size_t offset = 0; offset < pending.size();) {
            const size_t chunk = 1 + chunks.Below(1024);
            const size_t count = chunk < pending.size() - offset ? chunk : pending.size() - offset;
            if (!peer.Send(pending.data() + offset, count))
                break;
            offset += count;
            PumpPending();
            peer.Drain();
        }
        pending.clear();
        PumpPending();
        peer.Drain();
        // A line that ends the session (a KICK of the user, an erroneous
        // nick) closes the connection: log in again as the user would.
        if (!peer.Connected()) {
            PumpFor(50);
            if (!LogIn(dialog, peer))
                break;
            ++logins;
        }
    }
    const bool answered = ClientAnswers(dialog, peer, lines, logins);
    Report("after", lines, start, dialog);

    const bool alive = IsWindow(dialog) && answered && lines == total && inTime;
    printf("soak: sent %u lines in %.1f s (%.0f lines/s), %u logins, %u client lines heard, "
           "%u breaking the line rules, %u checks unanswered\n",
           (unsigned)lines, (GetTickCount() - start) / 1000.0,
           lines / ((GetTickCount() - start + 1) / 1000.0), (unsigned)logins,
           (unsigned)peer.heardLines, (unsigned)peer.badHeardLines, (unsigned)unanswered);
    g_receiveMessage(0, MM_DESTROY_WINDOW, record.pWindow, 0);
    WSACleanup();
    const bool verdict = alive && peer.badHeardLines == 0 && unanswered == 0;
    printf("soak: verdict: %s\n", verdict ? "SURVIVED" : "FAILED");
    return verdict ? 0 : 1;
}
