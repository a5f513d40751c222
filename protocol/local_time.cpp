#include "protocol/local_time.h"

#include "protocol/numeric_time.h"
#include "protocol/tokens.h"

#include <time.h>

static_assert(sizeof kUnknownTime <= kTimeTextSize, "the placeholder fits a time's buffer");

void LocalTimeText(int64_t seconds, char* text, size_t size)
{
    // The runtime refuses negative counts and years past 3000 with null.
    const __time64_t value = seconds;
    const struct tm* local = _localtime64(&value);
    if (!local || !FormatCalendarTime(*local, text, size))
        CopyText(text, size, kUnknownTime);
}
