// The settings primitives over per-user files. A key path such as
// Software\Zentrovo\Tellvane\Settings maps to the file Zentrovo/Tellvane.conf
// below the root folder and the group [Settings] in it. The first component
// stands for the root folder itself.

#include <cstdlib>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>

#include "file_replace.h"
#include "registry.h"

struct RegKey {
    RegKey(const QString& file, const QString& group) : settings(file, QSettings::IniFormat)
    {
        settings.beginGroup(group);
    }
    QSettings settings;
};

void RegKeyCloser::operator()(RegKey* key) const { delete key; }

RegRoot UserSettingsRoot()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

namespace {

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = path.find('\\', start)) != std::string::npos; start = at + 1)
        parts.push_back(path.substr(start, at - start));
    parts.push_back(path.substr(start));
    return parts;
}

QString Text(const std::string& bytes) { return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size())); }

}  // namespace

RegKeyHandle RegOpenPath(const RegRoot& root, const std::string& path)
{
    const std::vector<std::string> parts = SplitPath(path);
    if (root.empty() || parts.size() < 3)
        return nullptr;
    std::string file = root;
    for (size_t i = 1; i + 1 < parts.size(); ++i)
        file += "/" + parts[i];
    file += ".conf";
    auto key = RegKeyHandle(new RegKey(Text(file), Text(parts.back())));
    if (key->settings.status() != QSettings::NoError)
        return nullptr;  // unreadable or damaged: every read gives its default
    return key;
}

int32_t RegReadDword(const RegRoot& root, const std::string& path, const std::string& name, int32_t def)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return def;
    const QVariant value = key->settings.value(Text(name));
    if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::Int)
        return def;
    bool ok = false;
    const int32_t number = value.toString().toInt(&ok);
    return ok ? number : def;
}

std::string RegReadString(const RegRoot& root, const std::string& path, const std::string& name,
                          const std::string& def)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return def;
    const QVariant value = key->settings.value(Text(name));
    if (value.typeId() != QMetaType::QString)
        return def;  // missing, or a list or other kind written by hand
    const QByteArray bytes = value.toString().toLocal8Bit();
    if (size_t(bytes.size()) + 1 > kRegStringBuffer)
        return def;
    // Up to the first zero byte, as a registry text would read.
    return std::string(bytes.constData(), qstrnlen(bytes.constData(), bytes.size()));
}

std::optional<std::string> RegReadList(const RegRoot& root, const std::string& path, const std::string& name,
                                       const std::string& def)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return def;
    const QVariant value = key->settings.value(Text(name));
    switch (value.typeId()) {
    case QMetaType::UnknownType: return def;
    case QMetaType::QString: return value.toString().toLocal8Bit().toStdString();
    // name=101,102 without quotes is a list to the settings file.
    case QMetaType::QStringList: return value.toStringList().join(',').toLocal8Bit().toStdString();
    default: return std::nullopt;
    }
}

namespace {

bool WriteValue(const RegRoot& root, const std::string& path, const std::string& name, const QVariant& value)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return false;
    // QSettings would make a missing folder as the umask allows, open to
    // other accounts under a umask of 000; made first, it is private.
    MakePrivateFolder(QFile::encodeName(QFileInfo(key->settings.fileName()).absolutePath()).toStdString());
    key->settings.setValue(Text(name), value);
    key->settings.sync();
    return key->settings.status() == QSettings::NoError;
}

}  // namespace

bool RegWriteDword(const RegRoot& root, const std::string& path, const std::string& name, int32_t value)
{
    return WriteValue(root, path, name, QVariant(int(value)));
}

bool RegWriteString(const RegRoot& root, const std::string& path, const std::string& name, const std::string& text)
{
    return WriteValue(root, path, name, QVariant(Text(text)));
}
