// The 24-character text of a calendar time that numeric replies show.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>
#include <time.h>

enum { kTimeTextSize = 25 };

// Writes "Thu Jan 01 00:00:00 1970": English weekday and month, the day
// zero-padded, 24 characters. Returns false, and writes "", when a field is
// out of its range, the year has no four digits or size is below
// kTimeTextSize.
bool FormatCalendarTime(const struct tm& time, char* text, size_t size);
