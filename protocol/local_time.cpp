#include "protocol/local_time.h"

#include "protocol/received_encoding.h"
#include "protocol/numeric_time.h"
#include "protocol/tokens.h"

#include <string.h>
#include <time.h>

static_assert(2 * (sizeof kUnknownTime - 1) + 1 <= kTimeTextSize, "the placeholder fits a time's buffer in UTF-8");

void LocalTimeText(int64_t seconds, char* text, size_t size)
{
    // The runtime refuses negative counts and years past 3000 with null.
    const __time64_t value = seconds;
    const struct tm* local = _localtime64(&value);
    if (local && FormatCalendarTime(*local, text, size))
        return;
    // The placeholder goes into a printed line beside the line's own pieces,
    // so it takes their encoding.
    if (CReceivedTextScope::Current() == LineEncoding::Windows1251)
        CopyText(text, size, kUnknownTime);
    else
        Cp1251ToUtf8(kUnknownTime, strlen(kUnknownTime), text, size);
}
