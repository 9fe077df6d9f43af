#include "monitor_layout.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QWidget>
#include <climits>

#include "qt_text.h"
#include "settings.h"

namespace {

constexpr int32_t kUnset = INT32_MIN;

// Less of a window than this on a screen cannot be grabbed to move it.
constexpr int kGrip = 40;

}  // namespace

QPoint CMonitorLayout::PullOnScreen(const QRect& window)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        const QRect seen = screen->availableGeometry().intersected(window);
        if (seen.width() >= kGrip && seen.height() >= kGrip)
            return window.topLeft();
    }
    if (screens.isEmpty())
        return window.topLeft();
    const QRect home = screens.first()->availableGeometry();
    return {qBound(home.left(), window.left(), qMax(home.left(), home.right() + 1 - window.width())),
            qBound(home.top(), window.top(), qMax(home.top(), home.bottom() + 1 - window.height()))};
}

bool CMonitorLayout::Restore() const
{
    const int width = ReadSettingDword(m_Names.width, kUnset), height = ReadSettingDword(m_Names.height, kUnset);
    const bool sized = width > 0 && height > 0;
    if (sized)
        m_pWindow->resize(width, height);
    RestorePlace();

    const QStringList widths = ToQString(ReadSettingString(m_Names.columns, "")).split(QLatin1Char(','));
    if (widths.size() != m_pColumns->count())
        return sized;
    for (int c = 0; c < m_pColumns->count(); ++c) {
        bool ok = false;
        const int columnWidth = widths[c].toInt(&ok);
        if (ok && columnWidth > 0)
            m_pColumns->resizeSection(c, columnWidth);
    }
    return sized;
}

void CMonitorLayout::RestorePlace() const
{
    const int left = ReadSettingDword(m_Names.left, kUnset), top = ReadSettingDword(m_Names.top, kUnset);
    if (left != kUnset && top != kUnset)
        m_pWindow->move(PullOnScreen(QRect(QPoint(left, top), m_pWindow->size())));
}

void CMonitorLayout::Save() const
{
    WriteSettingDword(m_Names.left, m_pWindow->pos().x());
    WriteSettingDword(m_Names.top, m_pWindow->pos().y());
    WriteSettingDword(m_Names.width, m_pWindow->width());
    WriteSettingDword(m_Names.height, m_pWindow->height());
    QStringList widths;
    for (int c = 0; c < m_pColumns->count(); ++c)
        widths << QString::number(m_pColumns->sectionSize(c));
    WriteSettingString(m_Names.columns, ToLocal8Bit(widths.join(QLatin1Char(','))));
}
