// The lines one connection has yet to send, and the pace they go out at.
// No Windows types: built natively too.
#pragma once

#include "net/pace.h"

#include <stddef.h>
#include <stdint.h>

#include <deque>
#include <string>

// The longest line the queue holds, CR LF included: one IRC line.
constexpr size_t kQueuedLineLimit = 512;

// Ordinary lines go out as a server's flood control (RFC 1459) charges them:
// two seconds a line, and a client more than ten seconds ahead is no longer
// read. Five at once bring the server to exactly ten seconds ahead; after
// that one line every two seconds keeps it there.
constexpr Pace kOrdinaryPace = { 5, 2000 };

// Waiting ordinary lines. A paste of 40 lines of 300 bytes takes 12,000
// bytes; 128 lines at the pace are four minutes of waiting.
constexpr size_t kOrdinaryByteLimit = 32768;
constexpr size_t kOrdinaryLineLimit = 128;

// Waiting urgent lines (PONG, CAP, USER, NICK, AUTHENTICATE). They are
// never paced, so they pile up only behind a socket the server does not
// read; beyond these a new PONG replaces the newest waiting one and other
// urgent lines are refused.
constexpr size_t kUrgentByteLimit = 65536;
constexpr size_t kUrgentLineLimit = 256;

// MillisecondsUntilNextLine when no line is waiting at all.
constexpr uint32_t kNoLineWaiting = UINT32_MAX;

// Gives bytes to the socket. Returns how many it took (at most length), 0
// when it would block, or a negative value when the connection failed.
typedef int (*SocketSend)(void* context, const char* bytes, size_t length);

enum class SendProgress {
    AllSent,     // nothing is left to send
    WouldBlock,  // the socket is full: go on when it can take more (FD_WRITE)
    Paced,       // ordinary lines wait for the pace: go on after MillisecondsUntilNextLine
    Failed,      // the socket failed, or took more than it was given
};

// Lines go out whole and in order, each through as many sends as the socket
// needs; nothing is ever sent into the middle of a line partly sent. Urgent
// lines (the command PONG, CAP, USER, NICK or AUTHENTICATE) go before every
// ordinary line that has not started to go out, in their own order,
// unpaced. Ordinary lines take a token of kOrdinaryPace when their first
// byte is sent.
class CSendQueue {
public:
    CSendQueue(SocketSend send, void* context);

    CSendQueue(const CSendQueue&) = delete;
    CSendQueue& operator=(const CSendQueue&) = delete;

    // Whether count more ordinary lines of bytes in all would be taken now:
    // typed text is asked for as a whole before any of it is added.
    bool CanTakeOrdinaryLines(size_t count, size_t bytes) const;

    // Queues one line: at most kQueuedLineLimit bytes ending in CR LF, with
    // no other CR, LF or NUL. Returns false when the line is not one such
    // line or there is no room for it (see the limits above).
    bool AddLine(const char* line, size_t length);

    // The user leaves: drops every line that has not started to go out,
    // urgent ones too (nothing after QUIT reaches the server), and puts the
    // QUIT line first, right behind a line partly sent. The next SendWaiting
    // sends it at once: it is not paced. Returns false, changing nothing,
    // when quitLine is not one line.
    bool PutQuitFirst(const char* quitLine, size_t length);

    // Sends what may go at tick now: first the rest of a line partly sent,
    // then urgent lines, then ordinary lines while tokens last. Stops at the
    // first send that would block or fails.
    SendProgress SendWaiting(uint32_t now);

    // When SendWaiting has something to send: 0 for now, the milliseconds
    // until the next token when only ordinary lines wait, or kNoLineWaiting.
    uint32_t MillisecondsUntilNextLine(uint32_t now) const;

    // Ordinary lines that have not started to go out.
    size_t CountWaitingLines() const;

    // The connection ended: every line goes, and the pace is full again.
    void DropAllLines();

private:
    struct Lane {
        std::deque<std::string> lines;
        size_t bytes = 0;

        void Append(const char* line, size_t length);
        std::string TakeFront();
        void Clear();
    };

    Lane* ChooseNextLane(uint32_t now);
    int GiveToSocket(const std::string& line, size_t offset);
    bool ReplaceNewestPong(const char* line, size_t length);

    SocketSend m_send;
    void* m_context;
    Lane m_urgent;
    Lane m_ordinary;
    std::string m_started;  // the line partly sent; empty when none is
    size_t m_startedSent;
    uint32_t m_paceFullAt;
};
