// The scrollback of one output control: the lines it shows, counted as they
// are written, and the older lines it has given up, kept as rich text until
// the reader scrolls up to them.
#pragma once

#include <windows.h>

#include <stdint.h>

// Makes `output` a conversation's output control: its settings, and the
// bookkeeping that goes with the window and leaves with it. Messages about
// it go to `dialog`.
void ConfigureOutput(HWND output, HWND dialog);

// Counts lines just written to the control.
void AddShownLines(HWND output, uint32_t lines);

// Asks the dialog to keep its scrollback within bounds once the message
// being handled is done: the check may replace output controls, and
// handlers hold on to theirs while they print.
void RequestScrollbackCheck(HWND dialog);

// Forgets a check asked for and not yet made: the dialog is going.
void CancelScrollbackCheck(HWND dialog);

// The stored lines come back above what the control shows; the text in
// view stays where it was.
void ShowStoredLines(HWND output);

// Keeps each conversation's scrollback within its bounds, and the window's
// (all of them together). outputs[i] is the output of the window's tab i;
// beyond kMaxConversations none is looked at.
constexpr int kMaxConversations = 100;
void KeepScrollbackBounds(const HWND outputs[], int count);

// Posted to the chat dialog: wParam says what, lParam is the output control.
enum { WM_SCROLLBACK = 7578 };
enum ScrollbackRequest { kCheckScrollback = 0, kShowStoredLines = 1 };
