// Window-system dialog units: templates give positions in quarters of the
// dialog font's average character width and eighths of its height, so a
// window keeps its proportions whatever font it gets.
#pragma once

#include <QRect>
#include <QSize>

class QFont;
class QWidget;

struct CDialogUnits {
    int baseX = 4;  // average character width, pixels
    int baseY = 8;  // character height, pixels

    QRect ToPixels(const QRect& units) const;
    QSize ToPixels(const QSize& units) const;
    // A width in pixels laid out for a font of base units `laidOutFor`, for
    // this font.
    int ScaledWidth(int pixels, const CDialogUnits& laidOutFor) const;
};

// The base units of font.
CDialogUnits DialogUnitsOf(const QFont& font);

// Gives dialog the template's font size, converts the geometry of its direct
// children from dialog units to pixels (shifted down by top, room for a menu
// bar) and fixes its client size to templateSize.
CDialogUnits ApplyDialogUnits(QWidget* dialog, int pointSize, QSize templateSize, int top = 0);
