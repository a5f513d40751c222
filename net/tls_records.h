// Whole TLS records out of the received byte stream, before Schannel sees
// them. No Windows types: this is built natively too, for the sanitizer
// tests and the fuzzer.
#pragma once

#include <stddef.h>

// The registered port of IRC over TLS: a connection to it is encrypted.
constexpr unsigned short kTlsPort = 6697;

// A record is a 5-byte header (type, version, length) and at most 2^14
// bytes of data plus 2048 bytes of protection.
constexpr size_t kTlsHeaderLength = 5;
constexpr size_t kTlsLargestRecord = kTlsHeaderLength + 16384 + 2048;
// The server's first flight (its certificate chain) may span many records
// and must be whole before Schannel takes it: up to this much is held.
constexpr size_t kTlsLargestFlight = 128 * 1024;

// Received bytes wait here until they make whole records, which are handed
// to the TLS layer from the front. Room for two of the largest records: a
// partial one never blocks the read that completes it; while a flight is
// held, room for the largest flight and a record behind it.
class CTlsRecordBuffer {
public:
    CTlsRecordBuffer() : m_length(0), m_limit(kRecordsRoom) {}

    // Where received bytes go, and how many fit there.
    char* FreeSpace() { return m_bytes + m_length; }
    size_t FreeLength() const { return m_length < m_limit ? m_limit - m_length : 0; }
    // The handshake's flights are held whole; after it, a read takes no
    // more than two records, so that each record's Consume moves little.
    void HoldFlight(bool flight) { m_limit = flight ? sizeof m_bytes : kRecordsRoom; }
    // The bytes just written into FreeSpace count from now on.
    void CommitReceived(size_t length);

    // Copies as many of the bytes as fit; returns how many did.
    size_t Append(const char* bytes, size_t length);

    char* Data() { return m_bytes; }
    size_t Length() const { return m_length; }

    // The whole records at the front: their length, 0 while the first is
    // incomplete.
    size_t WholeRecordsLength() const;
    // The first whole record's length, 0 while it is incomplete.
    size_t FirstRecordLength() const;

    // The bytes cannot begin a TLS record (a server answering in plain
    // text, or garbage): the peer does not speak TLS.
    bool IsForeign() const;

    // Drops the first length bytes, which the TLS layer has used.
    void Consume(size_t length);

private:
    static constexpr size_t kRecordsRoom = 2 * kTlsLargestRecord;

    size_t RecordLengthAt(size_t offset) const;

    char m_bytes[kTlsLargestFlight + kTlsLargestRecord];
    size_t m_length;
    size_t m_limit;
};
