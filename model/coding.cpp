#include "coding.h"

namespace {

constexpr uint16_t kWideCount = 0xFFFF;
constexpr uint8_t kWideString = 0xFF;
constexpr uint16_t kLongString = 0xFFFF;

uint8_t Byte(std::string_view bytes, size_t i) { return static_cast<uint8_t>(bytes[i]); }

}  // namespace

void PutUint16(std::string* dst, uint16_t value)
{
    dst->push_back(static_cast<char>(value & 0xFF));
    dst->push_back(static_cast<char>(value >> 8));
}

void PutUint32(std::string* dst, uint32_t value)
{
    PutUint16(dst, static_cast<uint16_t>(value & 0xFFFF));
    PutUint16(dst, static_cast<uint16_t>(value >> 16));
}

void PutInt32(std::string* dst, int32_t value) { PutUint32(dst, static_cast<uint32_t>(value)); }

void PutCount(std::string* dst, uint32_t count)
{
    if (count < kWideCount) {
        PutUint16(dst, static_cast<uint16_t>(count));
        return;
    }
    PutUint16(dst, kWideCount);
    PutUint32(dst, count);
}

void PutString(std::string* dst, std::string_view text)
{
    const size_t n = text.size();
    if (n < kWideString) {
        dst->push_back(static_cast<char>(n));
    } else if (n < kLongString - 1) {
        dst->push_back(static_cast<char>(kWideString));
        PutUint16(dst, static_cast<uint16_t>(n));
    } else {
        dst->push_back(static_cast<char>(kWideString));
        PutUint16(dst, kLongString);
        PutUint32(dst, static_cast<uint32_t>(n));
    }
    dst->append(text);
}

bool GetUint16(std::string_view* input, uint16_t* value)
{
    if (input->size() < 2)
        return false;
    *value = static_cast<uint16_t>(Byte(*input, 0) | Byte(*input, 1) << 8);
    input->remove_prefix(2);
    return true;
}

bool GetUint32(std::string_view* input, uint32_t* value)
{
    if (input->size() < 4)
        return false;
    *value = uint32_t{Byte(*input, 0)} | uint32_t{Byte(*input, 1)} << 8 | uint32_t{Byte(*input, 2)} << 16 |
             uint32_t{Byte(*input, 3)} << 24;
    input->remove_prefix(4);
    return true;
}

bool GetInt32(std::string_view* input, int32_t* value)
{
    uint32_t bits;
    if (!GetUint32(input, &bits))
        return false;
    *value = static_cast<int32_t>(bits);
    return true;
}

bool GetCount(std::string_view* input, uint32_t* count)
{
    std::string_view in = *input;
    uint16_t narrow;
    if (!GetUint16(&in, &narrow))
        return false;
    if (narrow != kWideCount)
        *count = narrow;
    else if (!GetUint32(&in, count))
        return false;
    *input = in;
    return true;
}

namespace {

bool GetStringLength(std::string_view* input, uint32_t* length)
{
    if (input->empty())
        return false;
    const uint8_t first = Byte(*input, 0);
    input->remove_prefix(1);
    if (first != kWideString) {
        *length = first;
        return true;
    }
    uint16_t wide;
    if (!GetUint16(input, &wide))
        return false;
    if (wide != kLongString) {
        *length = wide;
        return true;
    }
    return GetUint32(input, length);
}

}  // namespace

bool GetString(std::string_view* input, std::string* text)
{
    std::string_view in = *input;
    uint32_t length;
    if (!GetStringLength(&in, &length) || length > in.size())
        return false;
    text->assign(in.substr(0, length));
    in.remove_prefix(length);
    *input = in;
    return true;
}
