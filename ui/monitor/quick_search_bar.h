// The Monitor's quick search field (Ctrl+F) and its label above the list.
// They take the top of the list's place only while in use, so the list keeps
// its own place otherwise. Escape empties the field, and a second one puts it
// away; Enter goes on to the rows found instead of closing the Monitor.
// GUI thread only.
#pragma once

#include <QObject>
#include <QRect>

class QAbstractItemView;
class QLabel;
class QLineEdit;

class CQuickSearchBar : public QObject {
    Q_OBJECT
public:
    // Starts put away; the three widgets stay their parent's.
    CQuickSearchBar(QLabel* label, QLineEdit* field, QAbstractItemView* list, QObject* parent = nullptr);

    // Shows the field and gives it the focus with its text selected.
    void Open();
    // The list's place, which the field shares while it is shown.
    void SetArea(const QRect& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetShown(bool shown);
    void Place();
    bool OnKey(int key);

    QLabel* m_pLabel;
    QLineEdit* m_pField;
    QAbstractItemView* m_pList;
    QRect m_rcArea;
};
