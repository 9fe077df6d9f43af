// The History timeline: one bar per bucket, stacked by level, with an axis
// under it. A click on a bar, a drag across bars, or Enter on the focused
// bar chooses a range; Left and Right move the focus between bars, whose
// description a screen reader reads. GUI thread only.
#pragma once

#include <QWidget>
#include <vector>

#include "timeline.h"

class CTimelineWidget : public QWidget {
    Q_OBJECT
public:
    explicit CTimelineWidget(QWidget* parent = nullptr);

    void SetBuckets(std::vector<CTimelineBucket> buckets, ETimelineUnit unit);
    const std::vector<CTimelineBucket>& Buckets() const { return m_Buckets; }
    int FocusedBar() const { return m_nFocus; }
    // The bar's area in widget coordinates (for tests and the tooltip).
    QRect BarRect(int bar) const;
    int BarAt(QPoint point) const;
    QSize sizeHint() const override;

signals:
    // Seconds, both included.
    void rangeChosen(qint64 from, qint64 to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect PlotArea() const;
    void SetFocusBar(int bar);
    void Choose(int first, int last);
    QString Description(int bar) const;

    std::vector<CTimelineBucket> m_Buckets;
    ETimelineUnit m_eUnit = ETimelineUnit::Day;
    int64_t m_nMax = 0;
    int m_nFocus = -1;
    int m_nPressed = -1;
    int m_nDragTo = -1;
};
