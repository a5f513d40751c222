// Local calendar time of a count of seconds, as numeric replies show it.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Shown instead of a time that the runtime cannot convert (before 1970,
// for one); in UTF-8 it fits kTimeTextSize.
constexpr char kUnknownTime[] = "неизвестно";

// Writes the 24-character local time of `seconds` since 1970-01-01 00:00 UTC,
// or kUnknownTime in the encoding of the line being printed.
void LocalTimeText(int64_t seconds, char* text, size_t size);
