// The table the Monitor export writes: a header line with the four column
// titles, then one line per row in display order with the row's four cell
// texts and fourteen diagnostic fields of its event.
#pragma once

#include <string>

#include "csv_writer.h"
#include "monitor_row.h"

inline constexpr size_t kExportFields = 18;

// The save-as dialog's file types, description and pattern separated by bars.
inline constexpr char kExportFilterText[] = "CSV files (*.csv) | *.csv|Text files (*.txt) | *.txt|";
inline constexpr char kExportDefaultExtension[] = "csv";

// analogInput is sent in tenths: 123 is 12.3, -15 is -1.5.
std::string AnalogInputText(int32_t value);

// Line r + 1 of the table for row r. posListEntry is the row's g_PosList
// entry (-1 once the store has evicted the record).
CCsvLine ExportRowLine(const CSimpleMessage& rec, size_t r, int posListEntry);

CCsvLine ExportHeaderLine();

// Header plus every row, each row with its current g_PosList entry.
CCsvTable BuildExportTable(const CMonitorRows& rows);

// Header plus the rows the list shows, given as indexes into rows in display
// order: line d + 1 is rows[shown[d]] with its own g_PosList entry.
CCsvTable BuildExportTable(const CMonitorRows& rows, const std::vector<size_t>& shown);
