#include "monitor_seams.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include "export_table.h"

QStringList ExportNameFilters()
{
    const QStringList parts = QString::fromLatin1(kExportFilterText).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(parts[i + 1].trimmed());
        filters << description;
    }
    return filters;
}

namespace {

// Overwriting an existing file is confirmed by the dialog itself (Qt's default).
QString RunSaveAsDialog(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kExportDefaultExtension));
    dialog.setNameFilters(ExportNameFilters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void RunMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

CMonitorSeams& MonitorSeams()
{
    static CMonitorSeams seams{RunSaveAsDialog, RunMessageBox};
    return seams;
}
