// The Monitor's size, place and column widths, kept in the settings file
// from one run to the next under names of their own. Works on any window
// and header, so it needs no Monitor to be tried. GUI thread only.
#pragma once

#include <QPoint>
#include <QRect>

class QHeaderView;
class QWidget;

// The setting names a window's layout is kept under.
struct CLayoutNames {
    const char* left;
    const char* top;
    const char* width;
    const char* height;
    const char* columns;  // "80,300,220,140"
};
inline constexpr CLayoutNames kMonitorLayoutNames{"MonitorLeft", "MonitorTop", "MonitorWidth", "MonitorHeight",
                                                  "MonitorColumnWidths"};

class CMonitorLayout {
public:
    CMonitorLayout(QWidget* window, QHeaderView* columns, const CLayoutNames& names = kMonitorLayoutNames)
        : m_pWindow(window), m_pColumns(columns), m_Names(names)
    {
    }

    // The size, place and column widths kept, each only where one was kept.
    // True when the window got a size of its own, which the caller must then
    // lay out: a hidden window gets its resize event only when shown, and
    // then as if it had always had this size.
    bool Restore() const;
    // The place alone: a window manager may put a window it maps again
    // wherever it likes, so the window is put back on every showing.
    void RestorePlace() const;
    void Save() const;

    // A place kept from a screen that is gone, or from another arrangement of
    // screens, would put the window where nobody can reach it: it then moves
    // onto the primary screen, as close to where it was as fits.
    static QPoint PullOnScreen(const QRect& window);

private:
    QWidget* m_pWindow;
    QHeaderView* m_pColumns;
    CLayoutNames m_Names;
};
