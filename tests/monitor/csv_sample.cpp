// Writes an export with awkward texts to DIR/export.csv and the texts a CSV
// reader should get back to DIR/expected.hex, one line per table line, the
// fields hex-encoded and separated by spaces.
#include <cstdio>
#include <fstream>
#include <string>

#include "export_table.h"

namespace {

CSimpleMessage Awkward(const std::string& desc, const std::string& lockName, int level)
{
    CSimpleMessage rec;
    rec.date = "2011.03.07";
    rec.time = "14:05:09";
    rec.desc = desc;
    rec.lockName = lockName;
    rec.level = level;
    rec.gid = "g,\"1\"";
    rec.analogInput = -15;
    return rec;
}

std::string Hex(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    CMonitorRows rows = {{Awkward("Door \"12\" opened, twice", "T\xc3\xbcr 1", 0), 3},
                         {Awkward("line\r\nbreak", "", 2), -1},
                         {Awkward("", " lead and trail ", 9), 0}};
    const CCsvTable table = BuildExportTable(rows);
    if (!WriteCsv(table, kExportFields, dir + "/export.csv", ','))
        return 1;
    std::ofstream expected(dir + "/expected.hex", std::ios::binary);
    for (const CCsvLine& line : table) {
        for (size_t k = 0; k < line.size(); ++k)
            expected << (k ? " " : "") << (line[k].empty() ? "-" : Hex(FlattenLineBreaks(line[k])));
        expected << "\n";
    }
    return expected ? 0 : 1;
}
