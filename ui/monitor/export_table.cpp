#include "export_table.h"

#include <cstdlib>
#include <numeric>

#include "pos_list.h"
#include "row_text.h"

namespace {

std::string Field(const char* label, int64_t value) { return label + std::to_string(value); }

}  // namespace

std::string AnalogInputText(int32_t value)
{
    const int64_t v = value;
    const int64_t magnitude = std::llabs(v);
    return std::string(v < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

CCsvLine ExportHeaderLine()
{
    CCsvLine line(kExportFields);
    for (int c = 0; c < kMonitorColumns; ++c)
        line[c] = ColumnHeaderText(c);
    return line;
}

CCsvLine ExportRowLine(const CSimpleMessage& rec, size_t r, int posListEntry)
{
    CCsvLine line;
    line.reserve(kExportFields);
    for (int c = 0; c < kMonitorColumns; ++c)
        line.push_back(CellText(rec, c));
    line.push_back(Field("g_PosList[i-1]=", posListEntry));
    line.push_back(Field("i-1=", static_cast<int64_t>(r)));
    line.push_back(Field("g_Array[g_PosList[i-1]].ttime=", rec.ttime));
    line.push_back(Field("addr=", rec.addr));
    line.push_back(Field("sid=", rec.sid));
    line.push_back(Field("lid=", rec.lid));
    line.push_back(Field("tid=", rec.tid));
    line.push_back("gid=" + rec.gid);
    line.push_back("mid=" + rec.mid);
    line.push_back(Field("doorMonEvt.boltPos=", rec.doorMonEvt.boltPos));
    line.push_back(Field("doorMonEvt.doorOpen=", rec.doorMonEvt.doorOpen));
    line.push_back(Field("doorMonEvt.err=", rec.doorMonEvt.err));
    line.push_back(Field("doorMonEvt.manip=", rec.doorMonEvt.manip));
    line.push_back("analogInput=" + AnalogInputText(rec.analogInput));
    return line;
}

CCsvTable BuildExportTable(const CMonitorRows& rows)
{
    std::vector<size_t> all(rows.size());
    std::iota(all.begin(), all.end(), size_t{0});
    return BuildExportTable(rows, all);
}

CCsvTable BuildExportTable(const CMonitorRows& rows, const std::vector<size_t>& shown)
{
    CCsvTable table;
    table.reserve(shown.size() + 1);
    table.push_back(ExportHeaderLine());
    for (size_t d = 0; d < shown.size(); ++d)
        table.push_back(ExportRowLine(rows[shown[d]].rec, d, PosListEntry(shown[d])));
    return table;
}
