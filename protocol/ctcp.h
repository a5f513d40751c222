// Client-to-client requests and replies carried inside PRIVMSG and NOTICE
// text: cutting them into word and parameter, and composing the answers.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Room for any message text of a received line.
enum { kCtcpTextSize = 4096 };

// The most an answer line takes on the wire, CR LF included.
constexpr size_t kCtcpAnswerLimit = 512;

// A message cut in place: word and parameter point into text.
struct CtcpMessage {
    char text[kCtcpTextSize];
    const char* word;
    const char* parameter;  // null when nothing follows the word

    CtcpMessage() : text(), word(text), parameter(nullptr) {}
    CtcpMessage(const CtcpMessage&) = delete;
    CtcpMessage& operator=(const CtcpMessage&) = delete;
};

// Message text that starts with \x01 is CTCP.
bool IsCtcp(const char* text);

// A request (PRIVMSG): a closing \x01 is dropped; the word runs to the first
// space, less its leading \x01; the parameter runs from after that space to
// the next \x01 or the end.
void CutCtcpRequest(const char* text, CtcpMessage& request);

// A reply (NOTICE): the first and the last byte are dropped, whatever the
// last is; the word runs to the first space, the parameter is all after it.
void CutCtcpReply(const char* text, CtcpMessage& reply);

// Writes "NOTICE <nick> :\x01<word> <parameter>\x01\r\n" into answer, cutting
// what does not fit in kCtcpAnswerLimit bytes (or size - 1) from the end of
// the parameter, so that the line always closes its CTCP and ends in CR LF.
// Returns its length; 0 (and an empty answer) when size is below 5 or the
// nick is not one target: empty, starting with ':', or holding a blank or a
// comma.
size_t ComposeCtcpAnswer(char* answer, size_t size, const char* nick, const char* word,
                         const char* parameter);

// A window keeps the send times of its CTCP PINGs by number, in this many slots.
enum { kPingSlots = 512 };

// The number a PING reply carries, read as a decimal number: the index of
// the send time to measure from, or -1 when it is missing or not below slots.
int ReadPingSlot(const CtcpMessage& reply, int slots);
