#include "protocol/numeric_time.h"

#include <stdio.h>

namespace {

const char kWeekdays[7][4] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
const char kMonths[12][4] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

} // namespace

bool FormatCalendarTime(const struct tm& time, char* text, size_t size)
{
    if (size > 0)
        text[0] = '\0';
    // Year is counted from 1900; checked before adding so nothing overflows.
    // Second 60 is a leap second.
    const bool valid = size >= kTimeTextSize && InRange(time.tm_wday, 0, 6) &&
                       InRange(time.tm_mon, 0, 11) && InRange(time.tm_mday, 1, 31) &&
                       InRange(time.tm_hour, 0, 23) && InRange(time.tm_min, 0, 59) &&
                       InRange(time.tm_sec, 0, 60) && InRange(time.tm_year, 1000 - 1900, 9999 - 1900);
    if (!valid)
        return false;
    snprintf(text, size, "%s %s %02d %02d:%02d:%02d %d", kWeekdays[time.tm_wday],
             kMonths[time.tm_mon], time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec,
             time.tm_year + 1900);
    return true;
}
