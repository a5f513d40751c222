#include "client/irc_client.h"

#include "client/control_ids.h"

namespace {

// Public networks whose NickServ takes "register <password> <email>".
const char* const kDefaultServers[] = {
    "irc.libera.chat",
    "irc.oftc.net",
    "irc.rizon.net",
    "irc.dal.net",
    "irc.esper.net",
};

} // namespace

void CIrcClient::FillServerList()
{
    HWND serverList = GetControl(IDC_SERVER_LIST);
    for (const char* server : kDefaultServers)
        SendMessageA(serverList, CB_ADDSTRING, 0, (LPARAM)server);
    SendMessageA(serverList, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)kDefaultServers[0]);
    SetWindowTextA(GetControl(IDC_PORT), "6697");
}
