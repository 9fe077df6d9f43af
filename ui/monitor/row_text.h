// What the Monitor shows of an event: its four columns.
#pragma once

#include <array>
#include <string>

#include "simple_message.h"

inline constexpr int kMonitorColumns = 4;
enum MonitorColumn : int { kColType = 0, kColDescription = 1, kColLocking = 2, kColDate = 3 };

// Column widths in pixels.
inline constexpr std::array<int, kMonitorColumns> kColumnWidths = {80, 300, 220, 140};

// "Type", "Description", "Locking", "Date" from the string table; the export
// writes them as its header line.
std::string ColumnHeaderText(int column);

// "Message", "Warning" or "Alarm"; empty for a level without a text.
std::string TypeText(int32_t level);

// True for the levels that have a type text and an icon (0..2).
bool HasLevelImage(int32_t level);

// What a screen reader says for the level icon: the type text, or "level N"
// for a level that has neither text nor icon.
std::string LevelAccessibleText(int32_t level);

// date, one space, time: the text of the "Date" column.
std::string DateTimeText(const CSimpleMessage& rec);

// The text of one cell; empty for a column the list does not have.
std::string CellText(const CSimpleMessage& rec, int column);
