#include "file_replace.h"

namespace {

// Far more copies than any folder will hold; it only bounds the search.
constexpr int kMaxNumberedCopies = 100000;

}  // namespace

std::string FirstFreeName(const std::string& base, const std::function<NameAttempt(const std::string&)>& attempt)
{
    for (int n = 0; n < kMaxNumberedCopies; ++n) {
        const std::string name = n == 0 ? base : base + "." + std::to_string(n);
        switch (attempt(name)) {
        case NameAttempt::kTaken: return name;
        case NameAttempt::kExists: break;
        case NameAttempt::kFailed: return {};
        }
    }
    return {};
}

std::string MoveToFreeName(const std::string& from, const std::string& to)
{
    return FirstFreeName(to, [&from](const std::string& name) { return MoveIfFree(from, name); });
}

std::string WriteToFreeName(const std::string& path, std::string_view bytes)
{
    return FirstFreeName(path, [bytes](const std::string& name) { return WriteIfFree(name, bytes); });
}
