// A Monitor over four events of one day, three of them today.
#pragma once

#include <memory>

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "monitor_dlg.h"
#include "widget_fixture.h"

constexpr int kDay = 1299456000;  // 2011.03.07 00:00:00 UTC

class MonitorWindow : public CWidgetTest {
protected:
    void SetUp() override
    {
        CWidgetTest::SetUp();
        Add(kDay + 3600, "first", 0);
        Add(kDay + 7200, "second", 1, "Gate");
        Add(kDay + 5400, "third", 2);
        Add(kDay - 60, "yesterday", 0);
        SortPositions();
        m_monitor = std::make_unique<CMonitorDlg>(&m_navigator);
        m_monitor->SetTodaySource([] { return std::string("2011.03.07"); });
        m_monitor->FillList();
    }

    QTreeView* List() { return m_monitor->findChild<QTreeView*>("m_List"); }
    QPushButton* Button(const char* name) { return m_monitor->findChild<QPushButton*>(name); }

    QStringList Column(int column)
    {
        QStringList texts;
        const QAbstractItemModel* model = List()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->index(r, column).data().toString();
        return texts;
    }

    void ClickHeader(int column)
    {
        QHeaderView* header = List()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

    QWidget m_navigator;
    std::unique_ptr<CMonitorDlg> m_monitor;
};
