// Operations whose implementations are being written; each moves to its own
// file when done. This file is deleted once empty.
#include "client/irc_client.h"

// Channel user list (client/user_list.cpp).
void CIrcClient::AddUserNames(const char*) {}
void CIrcClient::AddUser(const char*) {}
void CIrcClient::RemoveUser(const char*) {}
bool CIrcClient::NotInUserList(const char*) const { return true; }
