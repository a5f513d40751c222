// The entries of the channel's user list (list box 1065). Each entry keeps
// the name as the server listed it, its wire form ('@' or '+' and the nick,
// or the nick alone), as its item data: that is what goes back to the
// server. The entry's text is what code page 1251 can show of it.
#pragma once

#include <windows.h>

// The wire form of an entry; "" for an index that holds none.
const char* UserListWireEntry(HWND list, int index);

// The nick of a wire entry, without its '@' or '+'.
const char* NickOfUserListEntry(const char* entry);
