#include "save_marker.h"

#include "regular_file.h"

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr uint64_t kFnvPrime = 1099511628211ULL;

uint64_t HashMore(uint64_t hash, std::string_view bytes)
{
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= kFnvPrime;
    }
    return hash;
}

}  // namespace

uint64_t HashBytes(std::string_view bytes) { return HashMore(kFnvOffset, bytes); }

CFileFingerprint FingerprintBytes(std::string_view bytes)
{
    return {static_cast<int64_t>(bytes.size()), HashBytes(bytes)};
}

// Read as the load reads it: whatever is not a regular file under the data
// file's name (a FIFO would block the start) has no fingerprint.
std::optional<CFileFingerprint> FingerprintFile(const std::string& path)
{
    std::string bytes;
    if (ReadRegularFile(path, &bytes) != ReadResult::kRead)
        return std::nullopt;
    return FingerprintBytes(bytes);
}
