// See windows.h beside this file.
#pragma once

#include "windows.h"

#define TCM_GETCURSEL 0x130B
