// A read-only text field that wraps its text and grows to show it whole, up
// to a limit beyond which it scrolls; selectable for copying with the mouse
// and the keyboard. For texts of any length in a form. GUI thread only.
#pragma once

#include <QTextEdit>

class CWrappingField : public QTextEdit {
    Q_OBJECT
public:
    explicit CWrappingField(QWidget* parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int HeightForLines(int lines) const;
};
