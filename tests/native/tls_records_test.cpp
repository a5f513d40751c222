// Whole TLS records out of the received byte stream.
#include "net/tls_records.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A record header and body: type, version 3.3, length, then the bytes.
std::string Record(unsigned char type, size_t length)
{
    std::string record = { (char)type, 3, 3, (char)(length >> 8), (char)(length & 0xff) };
    return record + std::string(length, 'r');
}

std::string Handshake(size_t length) { return Record(22, length); }

TEST(TlsRecords, RecordSplitOverManyReadsBecomesWholeWithItsLastByte)
{
    CTlsRecordBuffer buffer;
    const std::string record = Handshake(300);
    for (size_t i = 0; i + 1 < record.size(); ++i) {
        buffer.Append(&record[i], 1);
        ASSERT_EQ(0u, buffer.WholeRecordsLength()) << "after byte " << i;
        ASSERT_FALSE(buffer.IsForeign()) << "after byte " << i;
    }
    buffer.Append(&record.back(), 1);
    EXPECT_EQ(record.size(), buffer.WholeRecordsLength());
    EXPECT_EQ(record.size(), buffer.FirstRecordLength());
}

TEST(TlsRecords, SeveralRecordsInOneReadAndAPartialOneAfter)
{
    CTlsRecordBuffer buffer;
    const std::string bytes = Handshake(90) + Record(20, 1) + Record(23, 40) + Record(23, 2000).substr(0, 700);
    buffer.Append(bytes.data(), bytes.size());
    EXPECT_EQ(95u + 6u + 45u, buffer.WholeRecordsLength());
    EXPECT_EQ(95u, buffer.FirstRecordLength());

    buffer.Consume(95);
    EXPECT_EQ(6u, buffer.FirstRecordLength());
    EXPECT_EQ(51u, buffer.WholeRecordsLength());
    buffer.Consume(51);
    EXPECT_EQ(0u, buffer.WholeRecordsLength());
    EXPECT_EQ(700u, buffer.Length());
    EXPECT_EQ((char)23, buffer.Data()[0]);
}

TEST(TlsRecords, TheLargestRecordFitsBehindAPartialOne)
{
    CTlsRecordBuffer buffer;
    const std::string largest = Record(23, kTlsLargestRecord - kTlsHeaderLength);
    const std::string partial = largest.substr(0, largest.size() - 1);
    ASSERT_EQ(partial.size(), buffer.Append(partial.data(), partial.size()));
    EXPECT_EQ(0u, buffer.WholeRecordsLength());
    ASSERT_GE(buffer.FreeLength(), largest.size());
    buffer.Append(largest.data() + partial.size(), 1);
    buffer.Append(largest.data(), largest.size());
    EXPECT_EQ(2 * largest.size(), buffer.WholeRecordsLength());
    EXPECT_EQ(0u, buffer.FreeLength());
    EXPECT_EQ(0u, buffer.Append("x", 1));
}

TEST(TlsRecords, AHeldFlightTakesTheLargestFlightAndARecordThenReadsShrinkBack)
{
    CTlsRecordBuffer buffer;
    buffer.HoldFlight(true);
    const std::string record = Record(22, 16384);
    const size_t records = kTlsLargestFlight / record.size() + 2;
    for (size_t i = 0; i < records; ++i)
        ASSERT_EQ(record.size(), buffer.Append(record.data(), record.size())) << i;
    EXPECT_EQ(records * record.size(), buffer.WholeRecordsLength());

    buffer.HoldFlight(false);
    EXPECT_EQ(0u, buffer.FreeLength());
    buffer.Consume(buffer.Length() - record.size());
    EXPECT_EQ(2 * kTlsLargestRecord - record.size(), buffer.FreeLength());
}

struct ForeignRow {
    const char* description;
    std::string bytes;
    bool foreign;
};

class ForeignBytes : public ::testing::TestWithParam<ForeignRow> {};

TEST_P(ForeignBytes, AreToldFromTheFirstHeader)
{
    CTlsRecordBuffer buffer;
    buffer.Append(GetParam().bytes.data(), GetParam().bytes.size());
    EXPECT_EQ(GetParam().foreign, buffer.IsForeign());
    if (GetParam().foreign) {
        EXPECT_EQ(0u, buffer.WholeRecordsLength());
        EXPECT_EQ(0u, buffer.FirstRecordLength());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ForeignBytes,
    ::testing::Values(
        ForeignRow{ "an IRC server's first line", ":irc.example.net NOTICE * :*** Looking up\r\n", true },
        ForeignRow{ "an ERROR line", "ERROR :Closing link", true },
        ForeignRow{ "one plain byte", "N", true },
        ForeignRow{ "a handshake type with a wrong version", std::string("\x16\x04\x03\x00\x10", 5), true },
        ForeignRow{ "a length beyond the largest record", std::string("\x17\x03\x03\x48\x01", 5), true },
        ForeignRow{ "the largest length", std::string("\x17\x03\x03\x48\x00", 5), false },
        ForeignRow{ "an alert", std::string("\x15\x03\x03\x00\x02\x02\x28", 7), false },
        ForeignRow{ "the first byte of a handshake", std::string("\x16", 1), false }),
    [](const ::testing::TestParamInfo<ForeignRow>& row) {
        std::string name;
        for (const char* c = row.param.description; *c; ++c)
            name += isalnum((unsigned char)*c) ? *c : '_';
        return name;
    });

} // namespace
