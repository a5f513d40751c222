// Colour codes that start the lines written into a conversation. Each is the
// IRC colour control byte and a palette number; the output formatting maps
// the number to a colour.
#pragma once

#define COLOUR_ERROR      "\x03" "0"   // red: error replies
#define COLOUR_CONNECTION "\x03" "2"   // navy: connection status, kicks, departures
#define COLOUR_EVENT      "\x03" "3"   // green: joins, topics, nick changes, modes
#define COLOUR_CTCP       "\x03" "4"   // red: CTCP requests and replies
#define COLOUR_NOTICE     "\x03" "5"   // maroon: notices, the server's error line
#define COLOUR_ACTION     "\x03" "6"   // purple: ACTION lines
#define COLOUR_CHAT       "\x03" "15"  // light grey: chat lines and replies
