// Comma-separated text as the Monitor export writes it: every field in double
// quotes (a quote inside doubled), line breaks inside a field turned into
// spaces, CR LF after every line, the bytes as held, no byte-order mark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "file_replace.h"

using CCsvLine = std::vector<std::string>;
using CCsvTable = std::vector<CCsvLine>;

// A copy of text up to its first zero byte with each CR and LF made a space,
// so that a field never breaks its line.
std::string FlattenLineBreaks(std::string_view text);

// Replaces text by its quoted field form.
void QuoteField(std::string& text);

// The file's bytes. Every line gets exactly fieldsPerLine fields: missing
// ones are written empty, surplus ones are left out.
std::string FormatCsv(const CCsvTable& table, size_t fieldsPerLine, char separator);

// Writes the table to path, creating or replacing it. A file it creates is
// for the owner alone, like the data file; one it replaces keeps the
// permissions the user gave it. A write that fails (a full disk) leaves no
// partial file and an existing one as it was.
ReplaceResult ExportCsv(const CCsvTable& table, size_t fieldsPerLine, const std::string& path, char separator);

// The same; true when the file was written.
bool WriteCsv(const CCsvTable& table, size_t fieldsPerLine, const std::string& path, char separator);
