#include "level_icons.h"

#include <QBitmap>
#include <QPixmap>

// The resource lives in this static library; nothing else names it, so the
// linker would drop it unless it is asked for here.
static void InitLevelIconResources() { Q_INIT_RESOURCE(level_icons); }

namespace {

constexpr int kIconSize = 15;

}  // namespace

std::array<QIcon, 3> LoadLevelIcons()
{
    InitLevelIconResources();
    QPixmap strip(QStringLiteral(":/monitor/level_strip.png"));
    strip.setMask(strip.createMaskFromColor(Qt::white));
    std::array<QIcon, 3> icons;
    for (int i = 0; i < 3; ++i)
        icons[i] = QIcon(strip.copy(i * kIconSize, 0, kIconSize, kIconSize));
    return icons;
}
