#include "net/pace.h"

namespace {

// How far the bucket is from full, in milliseconds of refill.
uint32_t Ahead(const Pace& pace, uint32_t fullAt, uint32_t now)
{
    const uint32_t capacity = pace.burst * pace.interval;
    // Ticks wrap: the distance ahead is taken modulo 2^32.
    const uint32_t ahead = fullAt == 0 ? 0 : fullAt - now;
    // An empty bucket full again at tick 0 is kept as 1 (see TakeToken): one
    // millisecond beyond capacity is still ours, and still empty.
    if (ahead == capacity + 1)
        return capacity;
    return ahead > capacity ? 0 : ahead;
}

} // namespace

uint32_t MillisecondsUntilToken(const Pace& pace, uint32_t fullAt, uint32_t now)
{
    const uint32_t ahead = Ahead(pace, fullAt, now);
    const uint32_t capacity = pace.burst * pace.interval;
    return ahead + pace.interval > capacity ? ahead + pace.interval - capacity : 0;
}

bool TakeToken(const Pace& pace, uint32_t& fullAt, uint32_t now)
{
    if (MillisecondsUntilToken(pace, fullAt, now) != 0)
        return false;
    fullAt = now + Ahead(pace, fullAt, now) + pace.interval;
    // 0 stands for a full bucket; a millisecond later means the same.
    if (fullAt == 0)
        fullAt = 1;
    return true;
}

bool TakeCtcpAnswer(uint32_t& fullAt, uint32_t now)
{
    return TakeToken(Pace{ kCtcpAnswerBurst, kCtcpAnswerInterval }, fullAt, now);
}
