// Texts cross between the event records (8-bit bytes) and Qt here.
#pragma once

#include <QString>
#include <string>

#include "shown_text.h"

// Every event text and every stored setting reaches the screen through this
// one decoding, so that the navigator, the Monitor and its filters read the
// same bytes the same way.
inline QString ToQString(const std::string& text) { return QString::fromStdString(ShownText(text)); }

inline std::string ToLocal8Bit(const QString& text) { return text.toLocal8Bit().toStdString(); }
