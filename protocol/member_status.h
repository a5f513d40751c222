// A channel member's status as the user list keeps it: the status symbols of
// the server's PREFIX the member holds, and where that puts the member in
// the list. No Windows types: the recorded window orders its list by it too.
#pragma once

#include "protocol/server_rules.h"

#include <stddef.h>

// The statuses held, as ranks: bit r holds the symbol of rank r.
typedef unsigned StatusSet;

// Reads the status symbols an entry starts with, in any order and any
// number of times ("~&@%+anna", "+@anna"); `nick` gets what follows them.
StatusSet ReadStatusSet(const ServerRules& rules, const char* entry, const char** nick);
// The symbol of the highest status held; 0 for none.
char HighestStatusSymbol(const ServerRules& rules, StatusSet statuses);
// Writes the symbols held, highest first, into `symbols` (one byte each and
// the terminator: kMaxStatusModes + 1 bytes are always enough).
void WriteStatusSymbols(const ServerRules& rules, StatusSet statuses, char* symbols, size_t size);
// The list's order: the highest status first, plain members last, then the
// nicks by the server's case mapping; below, at or above 0 as strcmp.
int CompareMembers(const ServerRules& rules, StatusSet statusesA, const char* nickA, StatusSet statusesB,
                   const char* nickB);
