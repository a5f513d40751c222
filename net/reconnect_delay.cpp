#include "net/reconnect_delay.h"

#include <random>

namespace {

uint32_t DrawJitter()
{
    static std::minstd_rand s_generator(std::random_device{}());
    return std::uniform_int_distribution<uint32_t>(0, kReconnectJitterMs)(s_generator);
}

} // namespace

uint32_t (*g_pfnReconnectJitter)() = &DrawJitter;

CReconnectDelay::CReconnectDelay() : m_baseMs(kReconnectFirstBaseMs), m_registeredAt(0), m_registered(false),
                                     m_attempt(0)
{
}

void CReconnectDelay::MarkRegistered(uint32_t tick)
{
    m_registered = true;
    m_registeredAt = tick;
}

uint32_t CReconnectDelay::TakeNextWait(uint32_t tick)
{
    if (m_registered && tick - m_registeredAt > kSteadyLinkMs) {
        m_baseMs = kReconnectFirstBaseMs;
        m_attempt = 0;
    }
    m_registered = false;
    const uint32_t wait = m_baseMs + g_pfnReconnectJitter();
    m_baseMs = m_baseMs >= kReconnectBaseCapMs / 2 ? (uint32_t)kReconnectBaseCapMs : m_baseMs * 2;
    ++m_attempt;
    return wait;
}
