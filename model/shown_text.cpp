#include "shown_text.h"

#include <cstdint>

namespace {

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed sequence at the front of bytes, 0 when there
// is none. Overlong forms, surrogates and values above U+10FFFF are refused
// by the narrower ranges allowed for the second byte.
size_t SequenceLength(std::string_view bytes)
{
    const auto at = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    const uint8_t lead = at(0);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!IsContinuation(at(i)))
            return 0;
    }
    return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes)
{
    while (!bytes.empty()) {
        const size_t length = SequenceLength(bytes);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string ShownText(std::string_view bytes)
{
    return IsValidUtf8(bytes) ? std::string(bytes) : DecodeLegacyCodePage(bytes);
}

bool ShownTextContains(std::string_view text, std::string_view part)
{
    if (part.empty())
        return true;
    // The filter runs for every stored event on each refill: texts that are
    // already UTF-8, nearly all of them, are searched without a copy. A UTF-8
    // needle can only match a UTF-8 haystack at a character boundary.
    if (IsValidUtf8(text) && IsValidUtf8(part))
        return text.find(part) != std::string_view::npos;
    return ShownText(text).find(ShownText(part)) != std::string::npos;
}
