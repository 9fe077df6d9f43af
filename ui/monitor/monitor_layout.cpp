// The Monitor's size, place and column widths, kept in the settings file
// from one run to the next under names of their own.

#include <QGuiApplication>
#include <QHeaderView>
#include <QHideEvent>
#include <QScreen>
#include <climits>

#include "monitor_dlg.h"
#include "qt_text.h"
#include "row_text.h"
#include "settings.h"
#include "ui_monitor.h"

namespace {

constexpr char kLeft[] = "MonitorLeft";
constexpr char kTop[] = "MonitorTop";
constexpr char kWidth[] = "MonitorWidth";
constexpr char kHeight[] = "MonitorHeight";
constexpr char kColumns[] = "MonitorColumnWidths";  // "80,300,220,140"
constexpr int32_t kUnset = INT32_MIN;

// Less of a window than this on a screen cannot be grabbed to move it.
constexpr int kGrip = 40;

// A place kept from a screen that is gone, or from another arrangement of
// screens, would put the window where nobody can reach it: it then moves
// onto the primary screen, as close to where it was as fits.
QPoint PullOnScreen(const QRect& window)
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

}  // namespace

void CMonitorDlg::RestoreLayout()
{
    const int width = ReadSettingDword(kWidth, kUnset), height = ReadSettingDword(kHeight, kUnset);
    if (width > 0 && height > 0) {
        resize(width, height);
        // A hidden window gets its resize event only when shown, and then
        // as if it had always had this size.
        OnSize(this->width(), this->height());
    }
    const int left = ReadSettingDword(kLeft, kUnset), top = ReadSettingDword(kTop, kUnset);
    if (left != kUnset && top != kUnset)
        move(PullOnScreen(QRect(QPoint(left, top), size())));

    const QStringList widths = ToQString(ReadSettingString(kColumns, "")).split(QLatin1Char(','));
    if (widths.size() != kMonitorColumns)
        return;
    for (int c = 0; c < kMonitorColumns; ++c) {
        bool ok = false;
        const int columnWidth = widths[c].toInt(&ok);
        if (ok && columnWidth > 0)
            m_ui->m_List->header()->resizeSection(c, columnWidth);
    }
}

void CMonitorDlg::SaveLayout() const
{
    WriteSettingDword(kLeft, pos().x());
    WriteSettingDword(kTop, pos().y());
    WriteSettingDword(kWidth, width());
    WriteSettingDword(kHeight, height());
    QStringList widths;
    for (int c = 0; c < kMonitorColumns; ++c)
        widths << QString::number(m_ui->m_List->header()->sectionSize(c));
    WriteSettingString(kColumns, ToLocal8Bit(widths.join(QLatin1Char(','))));
}

void CMonitorDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Minimising is not closing.
    if (!event->spontaneous())
        SaveLayout();
}
