#include "module/tab_menu.h"

#include "client/control_ids.h"
#include "client/irc_client.h"

namespace {

enum { kCloseItem = 0, kCloseAllItem = 1 };

void EnableItem(HMENU popup, UINT position, bool enabled)
{
    EnableMenuItem(popup, position,
                   MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
}

} // namespace

HMENU LoadTabMenu(HINSTANCE instance, const CIrcClient& client)
{
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_TAB_MENU));
    if (!menu)
        return NULL;
    HMENU popup = GetSubMenu(menu, 0);
    // The server tab and the channel tab come first and cannot be closed.
    EnableItem(popup, kCloseItem, client.IsPrivateTabSelected());
    EnableItem(popup, kCloseAllItem, client.m_tabCount >= 3);
    return menu;
}
