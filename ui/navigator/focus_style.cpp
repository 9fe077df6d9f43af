#include "focus_style.h"

#include <QPainter>
#include <QStyleOption>

void CFocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    // Only after the keyboard moved the focus, as the platform's own focus
    // frames do: a click needs no reminder of where it went.
    const QStyle::State focus = State_HasFocus | State_KeyboardFocusChange;
    if (element != CE_PushButton || (option->state & focus) != focus)
        return;
    painter->save();
    painter->setPen(QPen(option->palette.color(QPalette::Highlight), 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(subElementRect(SE_PushButtonFocusRect, option, widget).adjusted(0, 0, -1, -1));
    painter->restore();
}
