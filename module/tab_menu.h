// The tab control's popup menu, prepared for one window's tabs.
#pragma once

#include <windows.h>

class CIrcClient;

// Loads menu 107 with its items enabled by the client's tabs: "Закрыть" for
// a private tab only, "Закрыть все" once a private tab exists. Null when the
// menu cannot be loaded; the caller destroys it.
HMENU LoadTabMenu(HINSTANCE instance, const CIrcClient& client);
