// The Monitor's "Save": the list as shown, header first, to a file the user
// names.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "export_table.h"
#include "monitor_dlg.h"
#include "monitor_model.h"
#include "monitor_seams.h"
#include "search_proxy.h"
#include "string_table.h"

namespace {

QString Text(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

void CMonitorDlg::OnSave()
{
    const QString path = MonitorSeams().choosePath(this);
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
        MonitorSeams().showMessage(this, Text(kTextCouldNotOpen) + QDir::toNativeSeparators(path));
        return;
    case ReplaceResult::WriteFailed:
        MonitorSeams().showMessage(this, Text(kTextCouldNotWrite) + QDir::toNativeSeparators(path));
        return;
    }
}
