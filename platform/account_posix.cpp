#include <charconv>
#include <cstdint>

#include "account.h"

const std::string_view kAccountWordKind = "a user id";

std::optional<std::string> AccountIdOf(std::string_view word)
{
    // The largest uid_t is no user's: it stands for "no change" to chown.
    constexpr uint64_t kLargestUid = 0xFFFFFFFEu;
    uint64_t uid = 0;
    const auto [rest, error] = std::from_chars(word.data(), word.data() + word.size(), uid);
    if (word.empty() || error != std::errc() || rest != word.data() + word.size() || uid > kLargestUid)
        return std::nullopt;
    return std::to_string(uid);
}
