#include "client/irc_client.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int CIrcClient::SendLine(const char* format, ...)
{
    if (!format)
        return 0;

    memset(m_sendBuf, 0, sizeof m_sendBuf);
    va_list args;
    va_start(args, format);
    const int wanted = vsnprintf(m_sendBuf, sizeof m_sendBuf, format, args);
    va_end(args);

    size_t length = strlen(m_sendBuf);
    // Text that did not fit is cut, but a cut command still ends its line:
    // otherwise the server would run it together with the next one.
    if (wanted >= (int)sizeof m_sendBuf && length >= 2) {
        m_sendBuf[length - 2] = '\r';
        m_sendBuf[length - 1] = '\n';
    }
    return send(m_socket, m_sendBuf, (int)length, 0);
}
