// The received line's encoding while its handlers print.
#include "protocol/received_encoding.h"

namespace {

thread_local LineEncoding t_encoding = LineEncoding::Utf8;

} // namespace

CReceivedTextScope::CReceivedTextScope(LineEncoding encoding) : m_outer(t_encoding)
{
    t_encoding = encoding;
}

CReceivedTextScope::~CReceivedTextScope()
{
    t_encoding = m_outer;
}

LineEncoding CReceivedTextScope::Current()
{
    return t_encoding;
}
