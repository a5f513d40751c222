// Panels of the chat dialog.
#include "client/irc_client.h"

void CIrcClient::ResetToLogin()
{
    m_loginState = 0;
}
