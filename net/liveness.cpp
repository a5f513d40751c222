// A server that goes silent is asked once whether it is still there; one
// that answers nothing at all is given up as dead.
#include "net/server_connection.h"

#include "net/own_ping.h"
#include "net/send_clock.h"

namespace {

// As with the handshake, the clock says when time is up, not the timer.
const UINT kLivenessCheckMs = 1000;
const DWORD kSilenceBeforePingMs = 60000;
const DWORD kSilenceOfDeadLinkMs = 2 * kSilenceBeforePingMs;

} // namespace

void CServerConnection::WatchLiveness()
{
    m_lastHeardAt = g_pfnSendTicks();
    m_pinged = false;
    SetTimer(m_hWindow, kLivenessTimer, kLivenessCheckMs, NULL);
}

void CServerConnection::OnLivenessTimer()
{
    const DWORD silence = g_pfnSendTicks() - m_lastHeardAt;
    if (silence >= kSilenceOfDeadLinkMs) {
        KillTimer(m_hWindow, kLivenessTimer);
        m_events.OnClosed(CloseReason::NoAnswer);
    } else if (silence >= kSilenceBeforePingMs && !m_pinged) {
        m_pinged = true;
        QueueLines(kOwnPingLine);
    }
}
