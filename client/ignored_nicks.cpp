// The nicks the user ignores. They outlast the session's connection, which
// goes at every logout, so they are kept with the dialog itself, from the
// first /ignore until the window goes.
#include "client/irc_client.h"

namespace {

// The lists of this thread's windows. A window property would do, but under
// Wine reading one is a round trip to the window server, and every line
// received is checked against the list.
struct IgnoredOfDialog {
    HWND hDialog;
    CIgnoreList list;
    IgnoredOfDialog* pNext;
};

thread_local IgnoredOfDialog* t_pFirstIgnored;

IgnoredOfDialog* FindEntry(HWND dialog)
{
    for (IgnoredOfDialog* entry = t_pFirstIgnored; entry; entry = entry->pNext)
        if (entry->hDialog == dialog)
            return entry;
    return NULL;
}

} // namespace

CIgnoreList& CIrcClient::IgnoredNicks()
{
    IgnoredOfDialog* entry = FindEntry(m_hDialog);
    if (!entry) {
        entry = new IgnoredOfDialog{ m_hDialog, CIgnoreList(), t_pFirstIgnored };
        t_pFirstIgnored = entry;
    }
    return entry->list;
}

const CIgnoreList* CIrcClient::FindIgnoredNicks() const
{
    const IgnoredOfDialog* entry = FindEntry(m_hDialog);
    return entry ? &entry->list : NULL;
}

void CIrcClient::ForgetIgnoredNicks()
{
    for (IgnoredOfDialog** link = &t_pFirstIgnored; *link; link = &(*link)->pNext) {
        if ((*link)->hDialog == m_hDialog) {
            IgnoredOfDialog* entry = *link;
            *link = entry->pNext;
            delete entry;
            return;
        }
    }
}
