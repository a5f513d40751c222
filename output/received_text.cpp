// Formatting a printed line into UTF-8. No Windows types: built natively too.
#include "output/received_text.h"

#include <stdio.h>
#include <string.h>

// A Windows-1251 line is formatted in its own code page, which the module's
// texts share, and converted whole; otherwise the format is converted first
// and the pieces go in as they are.
void FormatLine(char (&text)[kFormattedLineSize], const char* format, va_list args)
{
    if (CReceivedTextScope::Current() == LineEncoding::Windows1251) {
        // Converting doubles the Cyrillic letters of a received line at
        // most, and received lines are far shorter than this.
        char line[kFormattedLineSize];
        vsnprintf(line, sizeof line, format, args);
        Cp1251ToUtf8(line, strlen(line), text, sizeof text);
        return;
    }
    char utf8Format[1024];
    Cp1251ToUtf8(format, strlen(format), utf8Format, sizeof utf8Format);
    vsnprintf(text, sizeof text, utf8Format, args);
}
