// Texts cross between the event records (local 8-bit bytes) and Qt here.
#pragma once

#include <QString>
#include <string>

inline QString ToQString(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToLocal8Bit(const QString& text) { return text.toLocal8Bit().toStdString(); }
