// Texts for the focused fuzz targets, held in heap blocks of exactly their
// size, so that AddressSanitizer reports a read one byte past the terminator.
#pragma once

#include "expect.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <stddef.h>
#include <string.h>

#include <memory>
#include <string>

// A NUL-terminated copy of text up to its first NUL, in a block of its size.
class ExactText {
public:
    explicit ExactText(const std::string& text)
        : m_length(strlen(text.c_str())), m_bytes(new char[m_length + 1])
    {
        memcpy(m_bytes.get(), text.c_str(), m_length + 1);
    }

    char* get() const { return m_bytes.get(); }
    size_t length() const { return m_length; }

private:
    size_t m_length;
    std::unique_ptr<char[]> m_bytes;
};

// Bytes, NULs included, in a block of their size without a terminator.
class ExactBytes {
public:
    explicit ExactBytes(const std::string& bytes) : m_length(bytes.size()), m_bytes(new char[m_length])
    {
        memcpy(m_bytes.get(), bytes.data(), m_length);
    }

    const char* get() const { return m_bytes.get(); }
    size_t length() const { return m_length; }

private:
    size_t m_length;
    std::unique_ptr<char[]> m_bytes;
};

inline ExactText ConsumeText(FuzzedDataProvider& data, size_t maxLength)
{
    return ExactText(data.ConsumeRandomLengthString(maxLength));
}
