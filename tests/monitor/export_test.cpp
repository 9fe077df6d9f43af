#include "export_table.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "list_reduction.h"
#include "row_sort.h"
#include "store_fixture.h"

namespace {

CSimpleMessage Sample()
{
    CSimpleMessage rec = Event("2011.03.07", "14:05:09", "Door opened");
    rec.level = kLevelWarning;
    rec.lockName = "Door 12";
    rec.ttime = 1299506709;
    rec.addr = 5;
    rec.sid = 1;
    rec.lid = 12;
    rec.tid = 4711;
    rec.gid = "7";
    rec.mid = "3";
    rec.doorMonEvt = {.doorOpen = 2, .boltPos = 1, .manip = 4, .err = 3};
    rec.analogInput = 235;
    return rec;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}


std::string HeaderBytes()
{
    std::string line = "\"Type\",\"Description\",\"Locking\",\"Date\"";
    for (int i = 0; i < 14; ++i)
        line += ",\"\"";
    return line + "\r\n";
}

}  // namespace

TEST(CsvWriter, QuotesFlattensAndDoublesQuotes)
{
    std::string field = "say \"hi\"\r\nnow";
    QuoteField(field);
    EXPECT_EQ(field, "\"say \"\"hi\"\"  now\"");
    EXPECT_EQ(FlattenLineBreaks(std::string_view("a\nb\0c", 5)), "a b");
    EXPECT_EQ(FormatCsv({{"a", "b,c"}, {"d"}}, 2, ','), "\"a\",\"b,c\"\r\n\"d\",\"\"\r\n");
}

TEST(CsvWriter, AnEmptyListExportsOnlyTheHeaderLine)
{
    const std::string bytes = FormatCsv(BuildExportTable({}), kExportFields, ',');
    EXPECT_EQ(bytes, HeaderBytes());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), ','), 17);
}

TEST(CsvWriter, WritesTheFileAndReportsOneThatCannotBeOpened)
{
    const std::string path = ::testing::TempDir() + "monitor_export.csv";
    ASSERT_TRUE(WriteCsv(BuildExportTable({}), kExportFields, path, ','));
    EXPECT_EQ(ReadFile(path), HeaderBytes());
    EXPECT_FALSE(WriteCsv({}, kExportFields, ::testing::TempDir() + "no/such/dir/x.csv", ','));
    std::remove(path.c_str());
}

// x.csv.tmp may be a file of the user's: the export takes another name for
// its temporary file.
TEST(CsvWriter, UsersFileUnderTheTemporaryNameIsLeftAlone)
{
    const std::string path = ::testing::TempDir() + "monitor_export_beside.csv";
    std::ofstream(path + ".tmp") << "the user's own";
    ASSERT_TRUE(WriteCsv(BuildExportTable({}), kExportFields, path, ','));
    EXPECT_EQ(ReadFile(path), HeaderBytes());
    EXPECT_EQ(ReadFile(path + ".tmp"), "the user's own");
    std::remove(path.c_str());
    std::remove((path + ".tmp").c_str());
}

TEST(ExportTable, RowLineCarriesCellsAndTheEventsDiagnostics)
{
    const CCsvLine line = ExportRowLine(Sample(), 4, 17);
    const CCsvLine expected = {"Warning", "Door opened", "Door 12", "2011.03.07 14:05:09", "g_PosList[i-1]=17", "i-1=4",
                               "g_Array[g_PosList[i-1]].ttime=1299506709", "addr=5", "sid=1", "lid=12", "tid=4711",
                               "gid=7", "mid=3", "doorMonEvt.boltPos=1", "doorMonEvt.doorOpen=2", "doorMonEvt.err=3",
                               "doorMonEvt.manip=4", "analogInput=23.5"};
    EXPECT_EQ(line, expected);
}

TEST(ExportTable, AnalogInputIsPrintedInSignedTenths)
{
    EXPECT_EQ(AnalogInputText(123), "12.3");
    EXPECT_EQ(AnalogInputText(5), "0.5");
    EXPECT_EQ(AnalogInputText(-15), "-1.5");
    EXPECT_EQ(AnalogInputText(-5), "-0.5");
    EXPECT_EQ(AnalogInputText(0), "0.0");
    EXPECT_EQ(AnalogInputText(INT32_MIN), "-214748364.8");
}

TEST(ExportTable, LevelWithoutTextExportsAnEmptyTypeField)
{
    CSimpleMessage rec = Sample();
    rec.level = 7;
    EXPECT_EQ(ExportRowLine(rec, 0, 0)[0], "");
}

TEST(ExportTable, SortedRowsKeepTheirOwnDiagnosticsAndEvictedRowsShowMinusOne)
{
    CSimpleMessage b = Sample();
    b.desc = "b";
    b.sid = 2;
    CSimpleMessage a = Sample();
    a.desc = "a";
    a.sid = 1;
    StoreRecords({b, a});
    CMonitorSettings all;
    all.today = 0;
    CMonitorRows rows = BuildMonitorRows(all, [] { return std::string(); });
    g_PosList[0] = -1;  // "a" (slot 1) evicted since the fill
    CSortState state;
    state.Click(1);
    SortRows(rows, state);

    const CCsvTable table = BuildExportTable(rows);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[1][1], "a");
    EXPECT_EQ(table[1][4], "g_PosList[i-1]=-1");
    EXPECT_EQ(table[1][8], "sid=1");
    EXPECT_EQ(table[2][1], "b");
    EXPECT_EQ(table[2][4], "g_PosList[i-1]=0");
    EXPECT_EQ(table[2][5], "i-1=1");
    EXPECT_EQ(table[2][8], "sid=2");
}

TEST(ExportTable, LineBreakInADescriptionStaysOnOneLine)
{
    CSimpleMessage rec = Sample();
    rec.desc = "two\r\nlines";
    const std::string bytes = FormatCsv({ExportRowLine(rec, 0, 0)}, kExportFields, ',');
    EXPECT_EQ(bytes.find("\r\n"), bytes.size() - 2);
    EXPECT_NE(bytes.find("\"two  lines\""), std::string::npos);
}
