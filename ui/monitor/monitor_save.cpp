// The Monitor's "Save": the list as shown, header first, to a file the user
// names.
#include <QDir>
#include <QSaveFile>

#include "export_table.h"
#include "monitor_dlg.h"
#include "monitor_model.h"
#include "monitor_seams.h"
#include "search_proxy.h"
#include "string_table.h"

namespace {

// Written to a temporary file and renamed at the end, so that a failure
// while writing leaves no partial file and an existing one untouched.
bool SaveBytes(const QString& path, const std::string& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

void CMonitorDlg::OnSave()
{
    const QString path = MonitorSeams().choosePath(this);
    if (path.isEmpty())
        return;
    // What the list shows: the quick search narrows the export too.
    const std::string bytes = FormatCsv(BuildExportTable(Model().Rows(), Shown().ShownRows()), kExportFields, ',');
    if (!SaveBytes(path, bytes))
        MonitorSeams().showMessage(this, QString::fromLatin1(kTextCouldNotOpen.data(), kTextCouldNotOpen.size()) +
                                             QDir::toNativeSeparators(path));
}
