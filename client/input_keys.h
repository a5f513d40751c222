// Up, Down and Tab in the input line: the lines sent from the window
// (client/input_history.h) and nick completion from the channel's user list
// (client/nick_completion.h). What they remember belongs to the input line
// and goes with it.
#pragma once

#include <windows.h>

// Takes over the input line's Up, Down and Tab; Tab never leaves the line.
void TakeOverInputKeys(HWND input);

// The text Enter sent from the input line, for Up to bring back.
void RememberSentInput(HWND input, const char* text);

// A channel message from nick: Tab offers that nick first.
void NoteChannelSpeaker(HWND input, const char* nick);
