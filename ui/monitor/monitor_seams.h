// The two modal windows the Monitor opens besides its configuration dialog.
// Tests replace them, since a real one would wait for a person.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

struct CMonitorSeams {
    // The save-as dialog: the chosen path, or an empty text when cancelled.
    std::function<QString(QWidget* parent)> choosePath;
    // A modal message box with only an OK button.
    std::function<void(QWidget* parent, const QString& text)> showMessage;
};

CMonitorSeams& MonitorSeams();

// The export's file types as Qt name filters, from the bar-separated filter text.
QStringList ExportNameFilters();
