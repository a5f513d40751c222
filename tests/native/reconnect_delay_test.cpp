// The waits between a session's attempts to make its link again, step by
// step: the base doubles up to its cap, the jitter goes on top, and a link
// that stayed registered long enough starts the base afresh.
#include "net/reconnect_delay.h"

#include <gtest/gtest.h>

namespace {

const uint32_t kJitter = 1234;
uint32_t FixedJitter() { return kJitter; }

struct Step {
    // 0: the attempt failed without a welcome; else the link was registered
    // so long before it dropped.
    uint32_t registeredMs;
    uint32_t wait;
    int attempt;
};

TEST(ReconnectDelay, BaseDoublesToItsCapAndStartsAfreshAfterASteadyLink)
{
    uint32_t (*previous)() = g_pfnReconnectJitter;
    g_pfnReconnectJitter = &FixedJitter;
    const Step steps[] = {
        { 60000, 2000 + kJitter, 1 },
        { 0, 4000 + kJitter, 2 },
        { 0, 8000 + kJitter, 3 },
        { kSteadyLinkMs, 16000 + kJitter, 4 },  // a drop within 10 s counts as a failure
        { 0, 32000 + kJitter, 5 },
        { 0, 64000 + kJitter, 6 },
        { 0, 128000 + kJitter, 7 },
        { 0, 256000 + kJitter, 8 },
        { 0, 300000 + kJitter, 9 },
        { 0, 300000 + kJitter, 10 },
        { kSteadyLinkMs + 1, 2000 + kJitter, 1 },
        { 0, 4000 + kJitter, 2 },
    };
    CReconnectDelay delay;
    uint32_t tick = 0xFFFF0000u;  // the tick count wraps on the way
    for (const Step& step : steps) {
        if (step.registeredMs) {
            delay.MarkRegistered(tick);
            tick += step.registeredMs;
        }
        EXPECT_EQ(step.wait, delay.TakeNextWait(tick)) << "attempt " << step.attempt;
        EXPECT_EQ(step.attempt, delay.Attempt());
        tick += step.wait;
    }
    g_pfnReconnectJitter = previous;
}

} // namespace
