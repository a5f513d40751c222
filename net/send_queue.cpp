#include "net/send_queue.h"

#include "protocol/tokens.h"

#include <string.h>

namespace {

const char kPong[] = "PONG";
// Registration and the capability negotiation before it: the server holds
// the user until they are done.
const char* const kUrgentCommands[] = { kPong, "CAP", "USER", "NICK", "AUTHENTICATE" };

// A line break or NUL inside would end the line early at the server, and the
// rest would run into whatever is sent next.
bool IsOneLine(const char* line, size_t length)
{
    if (!line || length < 3 || length > kQueuedLineLimit)
        return false;
    if (line[length - 2] != '\r' || line[length - 1] != '\n')
        return false;
    const size_t text = length - 2;
    return !memchr(line, '\r', text) && !memchr(line, '\n', text) && !memchr(line, '\0', text);
}

// The command is the first word: the client's own lines carry no prefix.
bool HasCommand(const char* line, size_t length, const char* command)
{
    char word[16];
    const void* space = memchr(line, ' ', length < sizeof word ? length : sizeof word);
    if (!space)
        return false;
    const size_t wordLength = (size_t)((const char*)space - line);
    memcpy(word, line, wordLength);
    word[wordLength] = '\0';
    return EqualsIgnoringAsciiCase(word, command);
}

bool IsUrgent(const char* line, size_t length)
{
    for (const char* command : kUrgentCommands) {
        if (HasCommand(line, length, command))
            return true;
    }
    return false;
}

SendProgress StoppedBy(int taken)
{
    return taken == 0 ? SendProgress::WouldBlock : SendProgress::Failed;
}

} // namespace

void CSendQueue::Lane::Append(const char* line, size_t length)
{
    lines.emplace_back(line, length);
    bytes += length;
}

std::string CSendQueue::Lane::TakeFront()
{
    std::string line = std::move(lines.front());
    lines.pop_front();
    bytes -= line.size();
    return line;
}

void CSendQueue::Lane::Clear()
{
    lines.clear();
    bytes = 0;
}

CSendQueue::CSendQueue(SocketSend send, void* context)
    : m_send(send), m_context(context), m_urgent(), m_ordinary(), m_started(), m_startedSent(0),
      m_paceFullAt(0)
{
}

bool CSendQueue::CanTakeOrdinaryLines(size_t count, size_t bytes) const
{
    return count <= kOrdinaryLineLimit - m_ordinary.lines.size() &&
           bytes <= kOrdinaryByteLimit - m_ordinary.bytes;
}

bool CSendQueue::AddLine(const char* line, size_t length)
{
    if (!IsOneLine(line, length))
        return false;
    if (!IsUrgent(line, length)) {
        if (!CanTakeOrdinaryLines(1, length))
            return false;
        m_ordinary.Append(line, length);
        return true;
    }
    if (m_urgent.lines.size() < kUrgentLineLimit && m_urgent.bytes + length <= kUrgentByteLimit) {
        m_urgent.Append(line, length);
        return true;
    }
    return HasCommand(line, length, kPong) && ReplaceNewestPong(line, length);
}

// A server only needs the latest answer to its PING. The lane may then go
// over its byte limit by less than one line, and no further.
bool CSendQueue::ReplaceNewestPong(const char* line, size_t length)
{
    for (auto waiting = m_urgent.lines.rbegin(); waiting != m_urgent.lines.rend(); ++waiting) {
        if (HasCommand(waiting->data(), waiting->size(), kPong)) {
            m_urgent.bytes = m_urgent.bytes - waiting->size() + length;
            waiting->assign(line, length);
            return true;
        }
    }
    return false;
}

bool CSendQueue::PutQuitFirst(const char* quitLine, size_t length)
{
    if (!IsOneLine(quitLine, length))
        return false;
    m_ordinary.Clear();
    m_urgent.Clear();
    m_urgent.Append(quitLine, length);
    return true;
}

SendProgress CSendQueue::SendWaiting(uint32_t now)
{
    for (;;) {
        if (m_started.empty()) {
            Lane* lane = ChooseNextLane(now);
            if (!lane)
                return m_ordinary.lines.empty() ? SendProgress::AllSent : SendProgress::Paced;
            const int taken = GiveToSocket(lane->lines.front(), 0);
            if (taken <= 0)
                return StoppedBy(taken);
            if (lane == &m_ordinary)
                TakeToken(kOrdinaryPace, m_paceFullAt, now);
            m_started = lane->TakeFront();
            m_startedSent = (size_t)taken;
        } else {
            const int taken = GiveToSocket(m_started, m_startedSent);
            if (taken <= 0)
                return StoppedBy(taken);
            m_startedSent += (size_t)taken;
        }
        if (m_startedSent == m_started.size())
            m_started.clear();
    }
}

CSendQueue::Lane* CSendQueue::ChooseNextLane(uint32_t now)
{
    if (!m_urgent.lines.empty())
        return &m_urgent;
    if (!m_ordinary.lines.empty() && MillisecondsUntilToken(kOrdinaryPace, m_paceFullAt, now) == 0)
        return &m_ordinary;
    return nullptr;
}

// Returns the bytes the socket took, 0 when it would block, -1 when it failed.
int CSendQueue::GiveToSocket(const std::string& line, size_t offset)
{
    const size_t length = line.size() - offset;
    const int taken = m_send(m_context, line.data() + offset, length);
    return taken < 0 || (size_t)taken > length ? -1 : taken;
}

uint32_t CSendQueue::MillisecondsUntilNextLine(uint32_t now) const
{
    if (!m_started.empty() || !m_urgent.lines.empty())
        return 0;
    if (m_ordinary.lines.empty())
        return kNoLineWaiting;
    return MillisecondsUntilToken(kOrdinaryPace, m_paceFullAt, now);
}

size_t CSendQueue::CountWaitingLines() const
{
    return m_ordinary.lines.size();
}

void CSendQueue::DropAllLines()
{
    m_urgent.Clear();
    m_ordinary.Clear();
    m_started.clear();
    m_startedSent = 0;
    m_paceFullAt = 0;
}
