// The level colours of the Monitor's icons, for whatever draws levels as
// areas rather than icons (the History timeline): message green, warning
// yellow, alarm red, any other level grey.
#pragma once

#include <QColor>
#include <array>

inline std::array<QColor, 4> LevelColours()
{
    return {QColor(0x3c, 0xa0, 0x3c), QColor(0xe6, 0xbe, 0x1e), QColor(0xd2, 0x32, 0x28), QColor(0x96, 0x96, 0x96)};
}
