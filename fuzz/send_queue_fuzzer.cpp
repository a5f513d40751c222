// The outgoing line queue under arbitrary adds, typed batches, short and
// blocked sends, failures, clock steps, quits and ended connections. What
// reaches the socket must be whole accepted lines, each at most once, in the
// promised order and at the flood pace, and what the queue kept must all go
// out in the end.
#include "expect.h"
#include "net/send_queue.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <stdint.h>

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

enum class Kind { Ordinary, Pong, OtherUrgent, Quit };

struct Accepted {
    Kind kind;
    uint64_t number;    // in the order the queue took the lines
    size_t acceptedAt;  // the wire's length then
};

// Floods make many lines of a few input bytes; this keeps a run short.
const uint64_t kLineBudget = 1024;

// One connection: the socket's answers come from the data until the last
// phase, in which it takes everything; the wire is read back line by line.
struct Connection {
    FuzzedDataProvider* data = nullptr;
    bool takeAll = false;
    int stop = 1;  // how the last SendWaiting's sends ended: 0 would block, -1 failed, 1 neither
    std::string wire;

    std::unordered_map<std::string, Accepted> accepted;  // until they are read back
    uint64_t lastQuit = 0;       // the last QUIT taken; 0 when none
    uint64_t lastPong = 0;       // the last PONG taken
    uint64_t quitSent = 0;       // the last QUIT read back
    size_t ordinaryWaiting = 0;  // taken after the last QUIT and not yet out whole
    size_t lineStart = 0;        // where the line now going out begins on the wire
    bool lineSeen = false;       // whether its first byte is out
    uint32_t lineTick = 0;       // and when it went
    uint64_t lastNumber[3] = {}; // by kind but QUIT, the last line read back
    size_t lastLineStart = SIZE_MAX;
    size_t lastOrdinaryStart = SIZE_MAX;
    std::deque<uint32_t> ordinaryTicks;  // when the latest ordinary lines started

    static int Send(void* context, const char* bytes, size_t length)
    {
        Connection* self = static_cast<Connection*>(context);
        // After "would block" or a failure the queue stops trying.
        Expect(self->stop > 0 && length > 0);
        size_t taken = length;
        if (!self->takeAll) {
            const int answer = self->data->ConsumeIntegralInRange<int>(0, 15);
            if (answer == 0 || answer == 1) {
                self->stop = -answer;
                return self->stop;
            }
            // Taking more than it was given is a failure too.
            if (answer == 2) {
                self->stop = -1;
                return (int)length + 1;
            }
            if (answer >= 10)
                taken = self->data->ConsumeIntegralInRange<size_t>(1, length);
        }
        self->wire.append(bytes, taken);
        return (int)taken;
    }

    void Take(const std::string& line, Kind kind, uint64_t number)
    {
        accepted[line] = Accepted{ kind, number, wire.size() };
        if (kind == Kind::Ordinary)
            ++ordinaryWaiting;
        if (kind == Kind::Pong)
            lastPong = number;
        if (kind == Kind::Quit) {
            lastQuit = number;
            ordinaryWaiting = 0;
        }
    }

    // Reads back the lines that reached the wire in a SendWaiting at tick now.
    void ReadWire(uint32_t now)
    {
        while (lineStart < wire.size()) {
            if (!lineSeen) {
                lineSeen = true;
                lineTick = now;
            }
            const size_t end = wire.find("\r\n", lineStart);
            if (end == std::string::npos)
                return;
            const auto found = accepted.find(wire.substr(lineStart, end + 2 - lineStart));
            // Not a line taken whole (cut, glued to another, or made up), or one sent twice.
            Expect(found != accepted.end());
            CheckPlace(found->second);
            accepted.erase(found);
            lastLineStart = lineStart;
            lineStart = end + 2;
            lineSeen = false;
        }
    }

    bool InLine() const { return lineStart < wire.size(); }

    void CheckPlace(const Accepted& line)
    {
        // Each kind keeps its order; USER, NICK and QUIT share one.
        const int order = (int)(line.kind == Kind::Quit ? Kind::OtherUrgent : line.kind);
        Expect(line.number > lastNumber[order]);
        lastNumber[order] = line.number;
        // Nothing taken before a QUIT goes after it.
        Expect(line.number > quitSent);
        if (line.kind == Kind::Ordinary) {
            CheckPace();
            lastOrdinaryStart = lineStart;
            if (line.number > lastQuit)
                --ordinaryWaiting;
            return;
        }
        // An urgent line follows only ordinary lines that had started before it came.
        Expect(lastOrdinaryStart == SIZE_MAX || lastOrdinaryStart < line.acceptedAt);
        if (line.kind == Kind::Quit) {
            // It follows only a line that had started before it came.
            Expect(lastLineStart == SIZE_MAX || lastLineStart < line.acceptedAt);
            quitSent = line.number;
        }
    }

    // However the ticks fall, n ordinary lines within d milliseconds are at
    // most the burst and one line for each whole interval of d.
    void CheckPace()
    {
        ordinaryTicks.push_back(lineTick);
        if (ordinaryTicks.size() > 32)
            ordinaryTicks.pop_front();
        for (size_t first = 0; first + 1 < ordinaryTicks.size(); ++first) {
            const uint32_t spread = ordinaryTicks.back() - ordinaryTicks[first];
            const size_t lines = ordinaryTicks.size() - first;
            Expect(lines <= kOrdinaryPace.burst + spread / kOrdinaryPace.interval);
        }
    }

    // All that was taken went out, but what a QUIT dropped and the PONGs a
    // later PONG replaced.
    void CheckAllOut() const
    {
        for (const auto& entry : accepted) {
            const Accepted& line = entry.second;
            Expect(line.number < lastQuit || (line.kind == Kind::Pong && line.number < lastPong));
        }
    }
};

// One byte repeated: long lines cost the input two bytes. The queue reads
// nothing of a line but its command and its line end.
std::string ConsumeFiller(FuzzedDataProvider& data, size_t maxLength)
{
    const size_t length = data.ConsumeIntegralInRange<size_t>(0, maxLength);
    const char byte = data.ConsumeIntegral<char>();
    return std::string(length, byte == '\r' || byte == '\n' || byte == '\0' ? '.' : byte);
}

const char* const kOrdinaryStarts[] = { "PRIVMSG #marketbay :", "JOIN #", "PRIVMSG NickServ :identify ",
                                        "NOTICE someone :\x01VERSION " };
struct UrgentStart {
    const char* text;
    Kind kind;
};

const UrgentStart kUrgentStarts[] = { { "PONG :", Kind::Pong }, { "pong :", Kind::Pong },
                                      { "NICK n", Kind::OtherUrgent }, { "USER u", Kind::OtherUrgent } };

class Driver {
public:
    explicit Driver(FuzzedDataProvider& data)
        : m_data(data), m_queue(&Connection::Send, &m_connection), m_now(data.ConsumeIntegral<uint32_t>())
    {
        m_connection.data = &data;
    }

    void Run()
    {
        while (m_data.remaining_bytes() > 0 && m_number < kLineBudget) {
            switch (m_data.ConsumeIntegralInRange(0, 9)) {
            case 0: AddOrdinary(); break;
            case 1: AddUrgent(); break;
            case 2: AddTypedText(); break;
            case 3: AddPongFlood(); break;
            case 4: AddBrokenLine(); break;
            case 5: m_now += m_data.ConsumeIntegralInRange<uint32_t>(0, 6000); break;
            case 6: PutQuitFirst(); break;
            case 7: EndConnection(); break;
            default: SendWaiting(); break;
            }
        }
        SendEverything();
    }

private:
    std::string NumberedLine(const char* start, const std::string& filler)
    {
        return start + std::to_string(++m_number) + " " + filler + "\r\n";
    }

    std::string NumberedLine(const char* start, size_t maxFiller)
    {
        return NumberedLine(start, ConsumeFiller(m_data, maxFiller));
    }

    bool Add(const std::string& line)
    {
        return m_queue.AddLine(line.data(), line.size());
    }

    void AddOrdinary()
    {
        const std::string line = NumberedLine(m_data.PickValueInArray(kOrdinaryStarts), 560);
        const bool room = line.size() <= kQueuedLineLimit && m_queue.CanTakeOrdinaryLines(1, line.size());
        const bool taken = Add(line);
        Expect(taken == room);
        if (taken)
            m_connection.Take(line, Kind::Ordinary, m_number);
    }

    void AddUrgent(const UrgentStart& start, const std::string& filler)
    {
        const std::string line = NumberedLine(start.text, filler);
        const bool taken = Add(line);
        Expect(!taken || line.size() <= kQueuedLineLimit);
        if (taken)
            m_connection.Take(line, start.kind, m_number);
    }

    void AddUrgent()
    {
        const UrgentStart& start = m_data.PickValueInArray(kUrgentStarts);
        AddUrgent(start, ConsumeFiller(m_data, 560));
    }

    // A server that sends PING after PING and does not read fills the urgent
    // lane, by its line count or, with long tokens, by its bytes.
    void AddPongFlood()
    {
        const size_t count = m_data.ConsumeIntegralInRange<size_t>(1, kUrgentLineLimit + 16);
        const std::string filler = ConsumeFiller(m_data, kQueuedLineLimit);
        for (size_t pong = 0; pong < count; ++pong)
            AddUrgent(kUrgentStarts[0], filler);
    }

    // Typed text is asked for as a whole, and then every line of it is taken.
    void AddTypedText()
    {
        const size_t count = m_data.ConsumeIntegralInRange<size_t>(1, 48);
        const uint64_t first = m_number + 1;
        std::vector<std::string> lines;
        size_t bytes = 0;
        for (size_t piece = 0; piece < count; ++piece) {
            lines.push_back(NumberedLine(kOrdinaryStarts[0], 400));
            bytes += lines.back().size();
        }
        if (!m_queue.CanTakeOrdinaryLines(count, bytes))
            return;
        for (size_t piece = 0; piece < count; ++piece) {
            Expect(Add(lines[piece]));
            m_connection.Take(lines[piece], Kind::Ordinary, first + piece);
        }
    }

    void AddBrokenLine()
    {
        std::string line = NumberedLine(m_data.PickValueInArray(kOrdinaryStarts), 100);
        const size_t at = m_data.ConsumeIntegralInRange<size_t>(0, line.size() - 3);
        static const char kBreakers[] = { '\r', '\n', '\0' };
        if (m_data.ConsumeBool())
            line[at] = m_data.PickValueInArray(kBreakers);
        else
            line.resize(line.size() - m_data.ConsumeIntegralInRange<size_t>(1, 2));
        Expect(!Add(line));
        Expect(!m_queue.PutQuitFirst(line.data(), line.size()));
    }

    void PutQuitFirst()
    {
        const std::string line = NumberedLine("QUIT :", 100);
        Expect(m_queue.PutQuitFirst(line.data(), line.size()));
        m_connection.Take(line, Kind::Quit, m_number);
        Expect(m_queue.CountWaitingLines() == 0 && m_queue.MillisecondsUntilNextLine(m_now) == 0);
    }

    // The next connection starts with nothing of this one.
    void EndConnection()
    {
        m_queue.DropAllLines();
        Expect(m_queue.CountWaitingLines() == 0);
        Expect(m_queue.MillisecondsUntilNextLine(m_now) == kNoLineWaiting);
        m_connection = Connection();
        m_connection.data = &m_data;
    }

    SendProgress SendWaiting()
    {
        m_connection.stop = 1;
        const SendProgress progress = m_queue.SendWaiting(m_now);
        m_connection.ReadWire(m_now);
        const uint32_t wait = m_queue.MillisecondsUntilNextLine(m_now);
        const size_t waiting = m_queue.CountWaitingLines();
        const size_t expected = m_connection.ordinaryWaiting;
        Expect(waiting == expected || (m_connection.InLine() && waiting + 1 == expected));
        switch (progress) {
        case SendProgress::AllSent:
            Expect(m_connection.stop == 1 && !m_connection.InLine());
            Expect(waiting == 0 && wait == kNoLineWaiting);
            break;
        case SendProgress::Paced:
            Expect(m_connection.stop == 1 && !m_connection.InLine());
            Expect(waiting > 0 && wait > 0 && wait <= kOrdinaryPace.interval);
            break;
        case SendProgress::WouldBlock:
            Expect(m_connection.stop == 0);
            break;
        case SendProgress::Failed:
            Expect(m_connection.stop == -1);
            break;
        }
        return progress;
    }

    // The caller calls again on every FD_WRITE and timer until all is out.
    void SendEverything()
    {
        m_connection.takeAll = true;
        SendProgress progress = SendWaiting();
        for (int round = 0; round < 1000 && progress == SendProgress::Paced; ++round) {
            m_now += m_queue.MillisecondsUntilNextLine(m_now);
            progress = SendWaiting();
        }
        Expect(progress == SendProgress::AllSent);
        m_connection.CheckAllOut();
    }

    FuzzedDataProvider& m_data;
    Connection m_connection;
    CSendQueue m_queue;
    uint32_t m_now;
    uint64_t m_number = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    Driver(data).Run();
    return 0;
}
