// Little-endian encodings of the event data file.
//
// Put* append to a byte string. Get* consume from the front of a view and
// return false, leaving the view untouched, when the bytes are not all there:
// a reader never trusts a length it has not checked against what remains.
//
// Count: below 0xFFFF one uint16; otherwise 0xFFFF and a uint32.
// String: a length, then the bytes. The length is one byte below 255;
// 0xFF + uint16 below 0xFFFE; else 0xFF, 0xFFFF + uint32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

void PutUint16(std::string* dst, uint16_t value);
void PutUint32(std::string* dst, uint32_t value);
void PutInt32(std::string* dst, int32_t value);
void PutCount(std::string* dst, uint32_t count);
void PutString(std::string* dst, std::string_view text);

bool GetUint16(std::string_view* input, uint16_t* value);
bool GetUint32(std::string_view* input, uint32_t* value);
bool GetInt32(std::string_view* input, int32_t* value);
bool GetCount(std::string_view* input, uint32_t* count);
// Also accepts the 0xFF 0xFFFE prefix, which no writer produces, as a
// length of 65534 bytes.
bool GetString(std::string_view* input, std::string* text);
