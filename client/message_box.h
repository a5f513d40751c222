// The one way a message box reaches the user: no owner window, OK only.
#pragma once

void ShowMessageBox(const char* text, const char* caption);

// Tests put a recorder in place of the modal box; null restores the box.
typedef void (*MessageBoxHook)(const char* text, const char* caption);
void SetMessageBoxHook(MessageBoxHook hook);
