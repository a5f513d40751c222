// The channel's user list (list box 1065).
#include "client/irc_client.h"

#include "client/control_ids.h"

void CIrcClient::ClearUserList()
{
    SendMessageA(GetControl(IDC_USER_LIST), LB_RESETCONTENT, 0, 0);
}
