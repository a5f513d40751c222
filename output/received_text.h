// Formatting a printed line into UTF-8, its pieces read in the received
// line's encoding (protocol/received_encoding.h).
#pragma once

#include "protocol/received_encoding.h"
#include "output/format_walk.h"

#include <stdarg.h>

// Formats a line to print as UTF-8, reading its pieces in the current
// scope's encoding.
void FormatLine(char (&text)[kFormattedLineSize], const char* format, va_list args);
