// What the host-side tools share: the module loaded through its exports, one
// chat window in a host window of the tool's own, and a loopback listener for
// the scripted server that talks to it.
#pragma once

#include <winsock2.h>

#include "include/talvo_irc.h"

#include <string>

// ReceiveMessage of TalvoIrc.dll, or null when the DLL or the export is missing.
TalvoReceiveMessageProc LoadModuleReceiver();

// Creates a 760 by 560 host window and a chat window in it; record.hParent
// is the host. Returns the chat dialog, or null when the module refused.
HWND CreateChatWindow(TalvoReceiveMessageProc receiveMessage, const char* title, bool visible,
                      CreateWindowRecord& record);

// Loads the module and creates a chat window as above; on failure says why
// on stderr, after "tool: ", and returns null.
HWND OpenChatWindow(const char* tool, const char* title, bool visible,
                    TalvoReceiveMessageProc& receiveMessage, CreateWindowRecord& record);

// Dispatches every message waiting in the thread's queue.
void PumpPending();
// Pumps for about `milliseconds`, waking on any message.
void PumpFor(DWORD milliseconds);

// Fills in the login panel for `host` (a name of this machine) at `port` and
// presses "Зайти".
void LogInToLoopback(HWND dialog, const char* nick, const char* host, unsigned short port);

// The committed private pages of the process, counted region by region:
// the figure of PrivateUsage, which reads zero under Wine.
double CommittedPrivateMegabytes();

// Saves what a window shows, painted now, as a 24-bit bitmap file.
bool SaveWindowPicture(HWND window, const std::string& path);

// A non-blocking listener on 127.0.0.1 at a free port, or INVALID_SOCKET.
// The caller has started the socket library.
SOCKET ListenOnLoopback(unsigned short& port);
