// The nicks the user ignores. They outlast the session's connection, which
// goes at every logout, so they hang on the dialog itself.
#include "client/irc_client.h"

namespace {

const char kIgnoredProperty[] = "TalvoIgnored";

} // namespace

CIgnoreList& CIrcClient::IgnoredNicks()
{
    CIgnoreList* ignored = (CIgnoreList*)GetPropA(m_hDialog, kIgnoredProperty);
    if (!ignored) {
        ignored = new CIgnoreList();
        SetPropA(m_hDialog, kIgnoredProperty, (HANDLE)ignored);
    }
    return *ignored;
}

const CIgnoreList* CIrcClient::FindIgnoredNicks() const
{
    return (const CIgnoreList*)GetPropA(m_hDialog, kIgnoredProperty);
}

void CIrcClient::ForgetIgnoredNicks()
{
    delete (CIgnoreList*)RemovePropA(m_hDialog, kIgnoredProperty);
}
