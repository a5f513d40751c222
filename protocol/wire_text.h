// Text on the wire is UTF-8; old clients still send Windows-1251, and the
// ANSI controls show code page 1251. No Windows types: built natively too.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr uint32_t kReplacementCharacter = 0xFFFD;
// ChooseShownCodePoint's answer for a character that is not shown at all.
constexpr uint32_t kNothingShown = 0xFFFFFFFF;
// The longest UTF-8 sequence, in bytes.
constexpr size_t kLongestSequence = 4;

// True when the length bytes of text are well-formed UTF-8: no overlong
// forms, no encoded surrogates, nothing past U+10FFFF. With mayBeCut an
// incomplete but so far well-formed sequence at the very end is accepted too,
// for a line that filled the receive buffer and may have lost its tail.
bool IsUtf8Text(const char* text, size_t length, bool mayBeCut);

// Reads one code point from text and returns the bytes it took: 1 to
// kLongestSequence, 0 only when length is 0. A sequence that is not
// well-formed reads as U+FFFD and takes its longest well-formed start (at
// least its first byte), so that E2 82 41 reads as U+FFFD then 'A'.
size_t ReadCodePoint(const char* text, size_t length, uint32_t* codePoint);

// What the output shows for a code point: the code point itself, U+FFFD in
// place of one that could make a line look like another (C1 controls, bidi
// embeddings, overrides and isolates, line and paragraph separators), or
// kNothingShown for a byte-order mark.
uint32_t ChooseShownCodePoint(uint32_t codePoint);

// The length of the longest start of text (length bytes) that has at most
// limit bytes and does not end inside a UTF-8 sequence (a broken one counts
// as ReadCodePoint takes it); 0 when even the first character is longer
// than limit.
size_t FitUtf8Length(const char* text, size_t length, size_t limit);

// Converts Windows-1251 text to UTF-8 in out (capacity bytes), NUL-terminated
// unless capacity is 0; a character that does not fit ends the text, and
// 3 * length + 1 bytes hold any text. The unassigned byte 0x98 becomes
// U+FFFD. Returns the length written.
size_t Cp1251ToUtf8(const char* text, size_t length, char* out, size_t capacity);

// Converts UTF-8 text to Windows-1251 in out (capacity bytes), cut where out
// is full and NUL-terminated unless capacity is 0. Characters are taken as the
// output shows them: a byte-order mark is left out, and what code page 1251
// cannot hold, the replaced ones and every ill-formed sequence included,
// becomes '?'. Returns the length written.
size_t Utf8ToCp1251(const char* text, size_t length, char* out, size_t capacity);

// A received line is one sender's text in one encoding: UTF-8 when its bytes
// are, else Windows-1251 from an old client. No guessing word by word.
enum class LineEncoding { Utf8, Windows1251 };

// Judges the received line (NUL-terminated in a buffer of capacity bytes).
// A line that fills the buffer was cut by the receiver, maybe inside a
// character: that torn character is dropped from its end.
LineEncoding JudgeReceivedLine(char* line, size_t capacity);

// A name (nick or channel) as the ANSI controls show it: judged by its own
// bytes, then put in code page 1251. The name itself, as the server wrote
// it, is what goes back on the wire.
size_t ShowNameInCp1251(const char* name, char* out, size_t capacity);
