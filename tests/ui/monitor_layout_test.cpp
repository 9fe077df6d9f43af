// The Monitor's remembered layout on a bare window and header: it needs no
// Monitor.
#include <QHeaderView>
#include <QStandardItemModel>
#include <QWidget>

#include "monitor_layout.h"
#include "widget_fixture.h"

using MonitorLayout = CWidgetTest;

TEST_F(MonitorLayout, KeepsAnyWindowsSizePlaceAndColumnWidths)
{
    QStandardItemModel columns(0, 4);
    QWidget window;
    QHeaderView header(Qt::Horizontal);
    header.setModel(&columns);
    EXPECT_FALSE(CMonitorLayout(&window, &header).Restore()) << "nothing kept yet";

    window.resize(500, 300);
    window.move(60, 50);
    header.resizeSection(2, 77);
    CMonitorLayout(&window, &header).Save();

    QWidget next;
    QHeaderView nextHeader(Qt::Horizontal);
    nextHeader.setModel(&columns);
    EXPECT_TRUE(CMonitorLayout(&next, &nextHeader).Restore());
    EXPECT_EQ(QRect(next.pos(), next.size()), QRect(60, 50, 500, 300));
    EXPECT_EQ(nextHeader.sectionSize(2), 77);
}
