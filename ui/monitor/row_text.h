// What the Monitor shows of an event: its four columns.
#pragma once

#include <array>
#include <string>

#include "simple_message.h"

inline constexpr int kMonitorColumns = 4;
enum MonitorColumn : int { kColType = 0, kColDescription = 1, kColLocking = 2, kColDate = 3 };

// Column widths in pixels for the font the Monitor's template was laid out
// for; the window scales them for the font in use.
inline constexpr std::array<int, kMonitorColumns> kColumnWidths = {80, 300, 220, 140};

// "Type", "Description", "Locking", "Date" from the string table; the export
// writes them as its header line.
std::string ColumnHeaderText(int column);

// date, one space, time: the text of the "Date" column.
std::string DateTimeText(const CSimpleMessage& rec);

// The text of one cell; empty for a column the list does not have.
std::string CellText(const CSimpleMessage& rec, int column);
