// How long a session waits before making its link again: a base that
// doubles with every failed attempt, plus a fresh random jitter so that many
// clients dropped at once do not come back at once. No attempt limit.
#pragma once

#include <stdint.h>

enum {
    kReconnectFirstBaseMs = 2000,
    kReconnectJitterMs = 5000,
    // The base stops doubling here; the jitter still goes on top.
    kReconnectBaseCapMs = 5 * 60 * 1000,
    // A link registered this long proved the server works: the base starts
    // afresh. One that drops sooner counts as a failed attempt.
    kSteadyLinkMs = 10000,
};

// A jitter in [0, kReconnectJitterMs] ms; tests put a fixed source here.
extern uint32_t (*g_pfnReconnectJitter)();

class CReconnectDelay {
public:
    CReconnectDelay();

    // The link was registered (welcomed) at tick.
    void MarkRegistered(uint32_t tick);
    // The link dropped, or an attempt failed, at tick: the wait in ms before
    // the next attempt, whose number Attempt() then gives.
    uint32_t TakeNextWait(uint32_t tick);
    int Attempt() const { return m_attempt; }

private:
    uint32_t m_baseMs;
    uint32_t m_registeredAt;
    bool m_registered;
    int m_attempt;
};
