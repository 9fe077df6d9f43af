#include "save_marker.h"

#include <cstdio>
#include <memory>

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

struct CFileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

uint64_t HashBytes(std::string_view bytes) { return HashMore(kFnvOffset, bytes); }

CFileFingerprint FingerprintBytes(std::string_view bytes)
{
    return {static_cast<int64_t>(bytes.size()), HashBytes(bytes)};
}

std::optional<CFileFingerprint> FingerprintFile(const std::string& path)
{
    const std::unique_ptr<std::FILE, CFileClose> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::nullopt;
    CFileFingerprint print{0, kFnvOffset};
    std::string buffer(64 * 1024, '\0');  // not on the stack: any thread may call this
    for (;;) {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        print.m_nHash = HashMore(print.m_nHash, std::string_view(buffer.data(), n));
        print.m_nSize += static_cast<int64_t>(n);
        if (n < buffer.size())
            break;
    }
    if (std::ferror(file.get()))
        return std::nullopt;
    return print;
}
