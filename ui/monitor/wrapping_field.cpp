#include "wrapping_field.h"

#include <QTextDocument>
#include <QtMath>
#include <memory>

namespace {

// More than this scrolls, so that one huge text cannot push the rest of the
// form off the screen.
constexpr int kMaxLines = 12;

}  // namespace

CWrappingField::CWrappingField(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

int CWrappingField::HeightForLines(int lines) const
{
    const qreal margins = 2 * (frameWidth() + document()->documentMargin());
    return qCeil(lines * fontMetrics().lineSpacing() + margins);
}

int CWrappingField::heightForWidth(int width) const
{
    // The text laid out at the width its viewport would get.
    const std::unique_ptr<QTextDocument> laidOut(document()->clone());
    laidOut->setTextWidth(width - 2 * frameWidth());
    const int whole = qCeil(laidOut->size().height()) + 2 * frameWidth();
    return qBound(minimumSizeHint().height(), whole, HeightForLines(kMaxLines));
}

QSize CWrappingField::sizeHint() const { return {QTextEdit::sizeHint().width(), HeightForLines(1)}; }

QSize CWrappingField::minimumSizeHint() const { return {QTextEdit::minimumSizeHint().width(), HeightForLines(1)}; }
