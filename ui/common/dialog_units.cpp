#include "dialog_units.h"

#include <QFontMetrics>
#include <QMenuBar>
#include <QWidget>

namespace {

// Rounded a * b / c, as the window system scales dialog units.
int MulDiv(int a, int b, int c) { return static_cast<int>((static_cast<long long>(a) * b * 2 + c) / (2 * c)); }

}  // namespace

CDialogUnits DialogUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(alphabet / 26 + 1) / 2, metrics.height()};
}

QRect CDialogUnits::ToPixels(const QRect& units) const
{
    return {MulDiv(units.x(), baseX, 4), MulDiv(units.y(), baseY, 8), MulDiv(units.width(), baseX, 4),
            MulDiv(units.height(), baseY, 8)};
}

QSize CDialogUnits::ToPixels(const QSize& units) const
{
    return {MulDiv(units.width(), baseX, 4), MulDiv(units.height(), baseY, 8)};
}

int CDialogUnits::ScaledWidth(int pixels, const CDialogUnits& laidOutFor) const
{
    return MulDiv(pixels, baseX, laidOutFor.baseX);
}

CDialogUnits ApplyDialogUnits(QWidget* dialog, int pointSize, QSize templateSize, int top)
{
    QFont font = dialog->font();
    font.setPointSize(pointSize);
    dialog->setFont(font);
    const CDialogUnits units = DialogUnitsOf(font);
    for (QObject* child : dialog->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow() || qobject_cast<QMenuBar*>(widget))
            continue;
        widget->setGeometry(units.ToPixels(widget->geometry()).translated(0, top));
    }
    const QSize client = units.ToPixels(templateSize);
    dialog->setFixedSize(client.width(), client.height() + top);
    return units;
}
