#include "csv_writer.h"

std::string FlattenLineBreaks(std::string_view text)
{
    std::string flat(text.substr(0, text.find('\0')));
    for (char& c : flat)
        if (c == '\r' || c == '\n')
            c = ' ';
    return flat;
}

void QuoteField(std::string& text)
{
    const std::string flat = FlattenLineBreaks(text);
    text.assign(1, '"');
    for (char c : flat) {
        if (c == '"')
            text += '"';
        text += c;
    }
    text += '"';
}

std::string FormatCsv(const CCsvTable& table, size_t fieldsPerLine, char separator)
{
    std::string out;
    for (const CCsvLine& line : table) {
        for (size_t k = 0; k < fieldsPerLine; ++k) {
            std::string field = k < line.size() ? line[k] : std::string();
            QuoteField(field);
            if (k > 0)
                out += separator;
            out += field;
        }
        out += "\r\n";
    }
    return out;
}

ReplaceResult ExportCsv(const CCsvTable& table, size_t fieldsPerLine, const std::string& path, char separator)
{
    // Every write is checked down to the disk: a buffered stream, and Qt
    // 6.4's QSaveFile, can take a short write on a full disk for success.
    return ReplaceFileContents(path, FormatCsv(table, fieldsPerLine, separator), FileAccess::kShared);
}

bool WriteCsv(const CCsvTable& table, size_t fieldsPerLine, const std::string& path, char separator)
{
    return ExportCsv(table, fieldsPerLine, path, separator) == ReplaceResult::Replaced;
}
