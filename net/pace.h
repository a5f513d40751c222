// Pacing lines to a server: a token bucket kept as one tick count.
// No Windows types: built natively too.
#pragma once

#include <stdint.h>

// burst lines may go at once, then one more every interval milliseconds.
struct Pace {
    uint32_t burst;
    uint32_t interval;
};

// The bucket is one tick count, fullAt: when it is full again (0, a time
// past, or one too far ahead to be ours, means full now). Ticks wrap like
// GetTickCount: only unsigned differences are taken.

// Milliseconds until a token is left at tick now; 0 when one is left already.
uint32_t MillisecondsUntilToken(const Pace& pace, uint32_t fullAt, uint32_t now);

// Takes a token at tick now if one is left; returns whether it did.
bool TakeToken(const Pace& pace, uint32_t& fullAt, uint32_t now);

// Answers to CTCP requests are paced as a bucket of kCtcpAnswerBurst answers
// that gets one back every kCtcpAnswerInterval milliseconds. A server that charges
// two seconds a line and stops reading only beyond ten seconds ahead (RFC 1459
// flood control) is at most ten seconds ahead after a whole burst and falls
// back a second with every later answer: whatever a flood asks, the server
// keeps reading and nothing piles up to an excess flood.
constexpr uint32_t kCtcpAnswerBurst = 5;
constexpr uint32_t kCtcpAnswerInterval = 3000;

// Returns whether an answer is left at tick now, and takes it.
bool TakeCtcpAnswer(uint32_t& fullAt, uint32_t now);
