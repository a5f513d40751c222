// The entries of the channel's user list (list box 1065). Each entry keeps
// its wire form as its item data: the status symbols its member holds,
// highest first, and the nick as the server wrote it ("@+anna"); that is
// what goes back to the server. The entry's text shows the highest symbol
// and the nick, as much of them as code page 1251 can show.
#pragma once

#include <windows.h>

// The wire form of an entry; "" for an index that holds none.
const char* UserListWireEntry(HWND list, int index);

// The nick of an entry, without its status symbols; "" for an index that
// holds none.
const char* UserListNick(HWND list, int index);
