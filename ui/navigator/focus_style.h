// The program's style: the platform's own, except that a push button with
// the keyboard focus always shows it. Some styles draw a focused default
// button exactly like an unfocused one, so Tab would seem to get lost on it.
#pragma once

#include <QProxyStyle>

class CFocusStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};
