// See windows.h beside this file.
#pragma once
