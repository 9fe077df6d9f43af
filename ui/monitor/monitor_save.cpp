// The Monitor's "Save": the list as shown, header first, to a file the user
// names.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "export_table.h"
#include "monitor_dlg.h"
#include "monitor_model.h"
#include "search_proxy.h"
#include "shell_services.h"
#include "string_table.h"

namespace {

QString Text(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

// The export's file types as Qt name filters, from the bar-separated filter text.
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

}  // namespace

void CMonitorDlg::OnSave()
{
    const QString path =
        ShellServices().choosePath(this, {ExportNameFilters(), QString::fromLatin1(kExportDefaultExtension)});
    if (path.isEmpty())
        return;
    // What the list shows: the quick search narrows the export too. A link
    // the user chose is written through, as any program saving there would.
    const QFileInfo chosen(path);
    const QString target = chosen.isSymLink() && chosen.exists() ? chosen.canonicalFilePath() : path;
    const std::string file = QFile::encodeName(target).toStdString();
    switch (ExportCsv(BuildExportTable(Model().Rows(), Shown().ShownRows()), kExportFields, file, ',')) {
    case ReplaceResult::Replaced: return;
    case ReplaceResult::OpenFailed:
        ShowMessage(this, Text(kTextCouldNotOpen) + QDir::toNativeSeparators(path));
        return;
    case ReplaceResult::WriteFailed:
        ShowMessage(this, Text(kTextCouldNotWrite) + QDir::toNativeSeparators(path));
        return;
    }
}
