#include "csv_writer.h"

#include <cstdio>
#include <fstream>

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

bool WriteCsv(const CCsvTable& table, size_t fieldsPerLine, const std::string& path, char separator)
{
    const std::string bytes = FormatCsv(table, fieldsPerLine, separator);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (file.fail()) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}
