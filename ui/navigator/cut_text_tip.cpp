#include "cut_text_tip.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// Whether QLineEdit draws text whole, by its own measure: the style's
// contents rectangle, less the text margins and the two pixels it keeps
// free on either side, must hold the text, one pixel and the cursor.
constexpr int kLineEditSideMargin = 2;

bool Fits(const QLineEdit& edit, const QString& text)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents = edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    const int room = contents.marginsRemoved(edit.textMargins()).width() - 2 * kLineEditSideMargin;
    const int cursor = edit.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &edit);
    return edit.fontMetrics().horizontalAdvance(text) + 1 + cursor <= room;
}

}  // namespace

void TipWholeTextWhenCut(QLineEdit* edit)
{
    const QString text = edit->text();
    if (Fits(*edit, text)) {
        edit->setToolTip(QString());
        return;
    }
    // Escaped inside a paragraph: an event text that looks like markup is
    // shown as it is, and a long one wraps instead of leaving the screen.
    edit->setToolTip("<p style=\"white-space:pre-wrap\">" + text.toHtmlEscaped() + "</p>");
}
