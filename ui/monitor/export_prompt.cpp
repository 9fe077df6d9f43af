#include "export_prompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

#include "app_directory.h"
#include "export_table.h"
#include "string_table.h"

namespace {

QString Text(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

CSaveAsRequest ExportSaveAsRequest()
{
    // The bar-separated filter text pairs a description with its pattern.
    const QStringList parts = QString::fromLatin1(kExportFilterText).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(parts[i + 1].trimmed());
        filters << description;
    }
    return {filters, QString::fromLatin1(kExportDefaultExtension)};
}

QString ExportTarget(const QString& chosen)
{
    const QFileInfo info(chosen);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : chosen;
    const std::filesystem::path file(QFile::encodeName(target).toStdString());
    const std::string data = GetAppDirectory();
    std::error_code error;
    if (!data.empty() && std::filesystem::exists(file, error) &&
        std::filesystem::equivalent(file.parent_path(), data, error))
        return {};
    return target;
}

QString ExportFailureText(ReplaceResult result, const QString& chosen)
{
    switch (result) {
    case ReplaceResult::Replaced: return {};
    case ReplaceResult::OpenFailed: return Text(kTextCouldNotOpen) + QDir::toNativeSeparators(chosen);
    case ReplaceResult::WriteFailed: return Text(kTextCouldNotWrite) + QDir::toNativeSeparators(chosen);
    }
    return {};
}
