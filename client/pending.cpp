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
