#include "timeline_widget.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "level_colours.h"

namespace {

constexpr int kMargin = 6;

}  // namespace

CTimelineWidget::CTimelineWidget(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumHeight(90);
    setAccessibleName(QStringLiteral("Timeline"));
}

QSize CTimelineWidget::sizeHint() const { return {600, 120}; }

void CTimelineWidget::SetBuckets(std::vector<CTimelineBucket> buckets, ETimelineUnit unit)
{
    m_Buckets = std::move(buckets);
    m_eUnit = unit;
    m_nMax = 0;
    for (const CTimelineBucket& bucket : m_Buckets)
        m_nMax = std::max(m_nMax, bucket.Total());
    m_nPressed = m_nDragTo = -1;
    SetFocusBar(m_Buckets.empty() ? -1 : std::clamp(m_nFocus, 0, static_cast<int>(m_Buckets.size()) - 1));
    update();
}

QRect CTimelineWidget::PlotArea() const
{
    // Two lines under the bars: the labels and the larger unit they lie in.
    const int axis = 2 * fontMetrics().height() + 4;
    return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin - axis);
}

QRect CTimelineWidget::BarRect(int bar) const
{
    const QRect plot = PlotArea();
    const int n = static_cast<int>(m_Buckets.size());
    if (bar < 0 || bar >= n)
        return {};
    const int left = plot.left() + plot.width() * bar / n;
    const int right = plot.left() + plot.width() * (bar + 1) / n;
    return QRect(left, plot.top(), std::max(1, right - left), plot.height());
}

int CTimelineWidget::BarAt(QPoint point) const
{
    const QRect plot = PlotArea();
    const int n = static_cast<int>(m_Buckets.size());
    if (n == 0 || plot.width() <= 0)
        return -1;
    const int x = std::clamp(point.x(), plot.left(), plot.right());
    return std::clamp((x - plot.left()) * n / plot.width(), 0, n - 1);
}

QString CTimelineWidget::Description(int bar) const
{
    if (bar < 0 || bar >= static_cast<int>(m_Buckets.size()))
        return {};
    return QString::fromStdString(TimelineDescription(m_Buckets[bar], m_eUnit));
}

void CTimelineWidget::SetFocusBar(int bar)
{
    m_nFocus = bar;
    setAccessibleDescription(Description(bar));
    if (hasFocus() && bar >= 0) {
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
    update();
}

void CTimelineWidget::Choose(int first, int last)
{
    if (first < 0 || last < 0)
        return;
    if (first > last)
        std::swap(first, last);
    emit rangeChosen(m_Buckets[first].m_nStart, m_Buckets[last].m_nEnd - 1);
}

void CTimelineWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect plot = PlotArea();
    const auto colours = LevelColours();
    const int n = static_cast<int>(m_Buckets.size());
    const int lo = std::min(m_nPressed, m_nDragTo), hi = std::max(m_nPressed, m_nDragTo);
    for (int i = 0; i < n; ++i) {
        const QRect bar = BarRect(i).adjusted(0, 0, BarRect(i).width() > 3 ? -1 : 0, 0);
        if (m_nPressed >= 0 && i >= lo && i <= hi)
            painter.fillRect(bar, palette().highlight().color().lighter(160));
        if (m_nMax <= 0)
            continue;
        int bottom = plot.bottom() + 1;
        for (size_t level = 0; level < kTimelineLevels; ++level) {
            const int height = static_cast<int>(m_Buckets[i].m_nCount[level] * plot.height() / m_nMax);
            if (height <= 0 && m_Buckets[i].m_nCount[level] > 0 && bottom > plot.top())
                painter.fillRect(QRect(bar.left(), bottom - 1, bar.width(), 1), colours[level]);  // still seen
            painter.fillRect(QRect(bar.left(), bottom - height, bar.width(), height), colours[level]);
            bottom -= height;
        }
    }
    painter.setPen(palette().text().color());
    painter.drawLine(plot.bottomLeft() + QPoint(0, 1), plot.bottomRight() + QPoint(0, 1));

    // Labels under the bars, as many as fit side by side; the larger unit
    // written where it changes.
    const QFontMetrics metrics = fontMetrics();
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00 ")) + 6;
    const int step = n == 0 ? 1 : std::max(1, labelWidth * n / std::max(1, plot.width()) + 1);
    const int line1 = plot.bottom() + 3 + metrics.ascent();
    const int line2 = line1 + metrics.height();
    QString context;
    int contextRight = INT_MIN;
    for (int i = 0; i < n; i += step) {
        const QRect bar = BarRect(i);
        painter.drawLine(bar.left(), plot.bottom() + 1, bar.left(), plot.bottom() + 3);
        painter.drawText(bar.left() + 1, line1, QString::fromStdString(TimelineLabel(m_Buckets[i].m_nStart, m_eUnit)));
        const QString here = QString::fromStdString(TimelineContext(m_Buckets[i].m_nStart, m_eUnit));
        if (here != context && bar.left() > contextRight) {
            painter.drawText(bar.left() + 1, line2, here);
            contextRight = bar.left() + metrics.horizontalAdvance(here) + 8;
            context = here;
        }
    }
    if (hasFocus() && m_nFocus >= 0) {
        QPen pen(palette().highlight().color(), 2);
        painter.setPen(pen);
        painter.drawRect(BarRect(m_nFocus).adjusted(0, 0, -1, -1));
    }
}

void CTimelineWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_Buckets.empty())
        return QWidget::mousePressEvent(event);
    m_nPressed = m_nDragTo = BarAt(event->position().toPoint());
    SetFocusBar(m_nPressed);
}

void CTimelineWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_nPressed >= 0) {
        m_nDragTo = BarAt(event->position().toPoint());
        update();
    }
}

void CTimelineWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_nPressed < 0)
        return QWidget::mouseReleaseEvent(event);
    const int first = m_nPressed, last = BarAt(event->position().toPoint());
    m_nPressed = m_nDragTo = -1;
    update();
    Choose(first, last);
}

void CTimelineWidget::keyPressEvent(QKeyEvent* event)
{
    const int n = static_cast<int>(m_Buckets.size());
    switch (event->key()) {
    case Qt::Key_Left: if (n) SetFocusBar(std::max(0, m_nFocus - 1)); break;
    case Qt::Key_Right: if (n) SetFocusBar(std::min(n - 1, m_nFocus + 1)); break;
    case Qt::Key_Home: if (n) SetFocusBar(0); break;
    case Qt::Key_End: if (n) SetFocusBar(n - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: Choose(m_nFocus, m_nFocus); break;
    default: return QWidget::keyPressEvent(event);
    }
}

bool CTimelineWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int bar = BarAt(help->pos());
        if (bar >= 0 && BarRect(bar).contains(help->pos()))
            QToolTip::showText(help->globalPos(), Description(bar), this, BarRect(bar));
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::FocusIn && m_nFocus < 0 && !m_Buckets.empty())
        SetFocusBar(0);
    return QWidget::event(event);
}
