// Commands the client sends on the user's behalf.
#include "client/irc_client.h"

#include "protocol/tokens.h"

void CIrcClient::SendJoin(const char* channel)
{
    CopyText(m_szChannel, sizeof m_szChannel, channel);
    SendLine("JOIN :%s\r\n", m_szChannel);
}
