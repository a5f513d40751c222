// Operations whose implementations are being written; each moves to its own
// file when done. This file is deleted once empty.
#include "client/irc_client.h"

// Input line and outgoing commands (net/commands.cpp).
void CIrcClient::OnEnterInInputLine() {}
void CIrcClient::TrimAndSend(const char*) {}
void CIrcClient::SendInputLine(const char*) {}
void CIrcClient::SendNick(const char*) {}
void CIrcClient::SendQuit(const char*) {}

// Login panel and nick change (client/login_panel.cpp).
void CIrcClient::OnLoginButton() {}
bool CIrcClient::ConnectFromPanel() { return false; }
bool CIrcClient::ValidateLogin() { return false; }
void CIrcClient::OnLogoutButton() {}
void CIrcClient::OnDialogClose() {}
void CIrcClient::OnChangeNickButton() {}
void CIrcClient::SetButtonImage(int, const char*) {}
void CIrcClient::SetConnectedButtons() {}
void CIrcClient::SetDisconnectedButtons() {}

// Layout and skin (client/layout.cpp, client/paint.cpp).
void CIrcClient::FitToWindow(HWND) {}
void CIrcClient::LayoutControls(int, int, int, int, int) {}
void CIrcClient::ApplyPanel(const RECT&, int) {}
void CIrcClient::ShowChatPanel() {}
void CIrcClient::ShowLoginPanel() {}
void CIrcClient::UpdateNickPanel() {}
void CIrcClient::ToggleSound() {}
void CIrcClient::ToggleControls() {}
void CIrcClient::PaintBackground() {}
void CIrcClient::PaintLabels() {}
