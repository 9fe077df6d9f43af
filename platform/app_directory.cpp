#include "app_directory.h"

namespace {

bool IsLeadByte(unsigned char c, CodePage codePage)
{
    return codePage == CodePage::DoubleByte && c >= 0x81 && c <= 0xFE;
}

}  // namespace

std::string CutAtLastBackslash(std::string_view path, CodePage codePage)
{
    size_t cut = std::string_view::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c, codePage) && i + 1 < path.size())
            ++i;  // skip the trail byte
        else if (c == '\\')
            cut = i;
    }
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}
