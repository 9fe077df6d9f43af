#include "quick_search.h"

#include "qt_text.h"
#include "row_text.h"

QStringList SearchTexts(const CSimpleMessage& rec)
{
    QStringList texts;
    texts.reserve(kMonitorColumns + 1);
    for (int c = 0; c < kMonitorColumns; ++c)
        texts << ToQString(CellText(rec, c)).toCaseFolded();
    texts << ToQString(rec.trnsName).toCaseFolded();
    return texts;
}

QString SearchNeedle(const QString& typed) { return typed.toCaseFolded(); }

bool MatchesSearch(const QStringList& texts, const QString& needle)
{
    if (needle.isEmpty())
        return true;
    for (const QString& text : texts) {
        if (text.contains(needle))
            return true;
    }
    return false;
}
