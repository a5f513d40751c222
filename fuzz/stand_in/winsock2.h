// See windows.h beside this file.
#pragma once

#include "windows.h"

typedef UINT_PTR SOCKET;
struct in_addr {
    unsigned long s_addr;
};
