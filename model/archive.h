// Small archives over the data file's encodings, one per direction, with the
// same member names so that one routine can describe a record's layout for
// both (see simple_message_archive.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "coding.h"

class CArchiveWriter {
public:
    void Int32(int32_t value) { PutInt32(&m_bytes, value); }
    void Count(uint32_t count) { PutCount(&m_bytes, count); }
    void String(std::string_view text) { PutString(&m_bytes, text); }

    std::string& Bytes() { return m_bytes; }

private:
    std::string m_bytes;
};

// Reads until the first value that is not all there; every read after that
// fails too, so a caller may check once at the end of a group of reads.
class CArchiveReader {
public:
    explicit CArchiveReader(std::string_view bytes) : m_size(bytes.size()), m_rest(bytes) {}

    bool Int32(int32_t& value) { return Read([&](std::string_view* in) { return GetInt32(in, &value); }); }
    bool Count(uint32_t& count) { return Read([&](std::string_view* in) { return GetCount(in, &count); }); }
    bool String(std::string& text) { return Read([&](std::string_view* in) { return GetString(in, &text); }); }

    bool Ok() const { return m_failedAt < 0; }
    // Byte offset of the value that could not be read; -1 while all went well.
    int64_t FailedAt() const { return m_failedAt; }
    size_t Remaining() const { return m_rest.size(); }

private:
    template <class Get>
    bool Read(Get get)
    {
        if (!Ok())
            return false;
        if (get(&m_rest))
            return true;
        m_failedAt = static_cast<int64_t>(m_size - m_rest.size());
        return false;
    }

    size_t m_size;
    std::string_view m_rest;
    int64_t m_failedAt = -1;
};
