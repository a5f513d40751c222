#include "net/tls_records.h"

#include <string.h>

namespace {

// Content types: change_cipher_spec, alert, handshake, application_data.
const unsigned char kFirstRecordType = 20;
const unsigned char kLastRecordType = 23;
// Every version from SSL 3.0 on (TLS 1.3 too) says major version 3.
const unsigned char kRecordMajorVersion = 3;

} // namespace

void CTlsRecordBuffer::CommitReceived(size_t length)
{
    m_length += length < FreeLength() ? length : FreeLength();
}

size_t CTlsRecordBuffer::Append(const char* bytes, size_t length)
{
    const size_t taken = length < FreeLength() ? length : FreeLength();
    memcpy(FreeSpace(), bytes, taken);
    m_length += taken;
    return taken;
}

// The length of the whole record at offset, or 0 when it has not all come.
size_t CTlsRecordBuffer::RecordLengthAt(size_t offset) const
{
    if (m_length - offset < kTlsHeaderLength)
        return 0;
    const unsigned char* header = (const unsigned char*)m_bytes + offset;
    const size_t record = kTlsHeaderLength + ((size_t)header[3] << 8 | header[4]);
    return record <= m_length - offset ? record : 0;
}

size_t CTlsRecordBuffer::FirstRecordLength() const
{
    return IsForeign() ? 0 : RecordLengthAt(0);
}

size_t CTlsRecordBuffer::WholeRecordsLength() const
{
    if (IsForeign())
        return 0;
    size_t whole = 0;
    while (size_t record = RecordLengthAt(whole))
        whole += record;
    return whole;
}

// Judged on the first record's header, from as much of it as has come.
bool CTlsRecordBuffer::IsForeign() const
{
    const unsigned char* header = (const unsigned char*)m_bytes;
    if (m_length >= 1 && (header[0] < kFirstRecordType || header[0] > kLastRecordType))
        return true;
    if (m_length >= 2 && header[1] != kRecordMajorVersion)
        return true;
    return m_length >= kTlsHeaderLength &&
           ((size_t)header[3] << 8 | header[4]) > kTlsLargestRecord - kTlsHeaderLength;
}

void CTlsRecordBuffer::Consume(size_t length)
{
    if (length >= m_length) {
        m_length = 0;
        return;
    }
    memmove(m_bytes, m_bytes + length, m_length - length);
    m_length -= length;
}
