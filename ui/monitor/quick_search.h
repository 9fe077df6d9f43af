// The Monitor's quick search: a row stays when one of its four cell texts or
// its transponder name contains the search text, ignoring case. Texts are
// decoded as the list shows them, so what the user reads is what matches.
#pragma once

#include <QString>
#include <QStringList>

#include "simple_message.h"

// The row's texts as the search compares them: decoded and case-folded, made
// once per row so that a keystroke only compares.
QStringList SearchTexts(const CSimpleMessage& rec);

// The typed text in the same form.
QString SearchNeedle(const QString& typed);

// An empty needle matches every row.
bool MatchesSearch(const QStringList& texts, const QString& needle);
