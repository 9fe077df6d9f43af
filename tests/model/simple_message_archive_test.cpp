#include "archive.h"
#include "simple_message.h"

#include <gtest/gtest.h>

namespace {

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

CSimpleMessage Read(std::string_view bytes, bool* ok = nullptr)
{
    CArchiveReader ar(bytes);
    CSimpleMessage m;
    m.tid = 1;  // anything not read must come back as the default
    const bool read = m.Serialize(ar);
    if (ok)
        *ok = read;
    else
        EXPECT_TRUE(read);
    EXPECT_EQ(ar.Remaining(), 0u);
    return m;
}

// The fields every version carries, in file order after version and type.
void PutCommonTexts(std::string* out)
{
    PutString(out, "Anna");
    PutString(out, "Door opened");
    PutString(out, "Site 1");
    PutString(out, "Door 12");
}

}  // namespace

TEST(RecordFile, DefaultRecordIsTheDocumented71Bytes)
{
    CSimpleMessage m;
    CArchiveWriter ar;
    m.Serialize(ar);
    EXPECT_EQ(Hex(ar.Bytes()),
              "08000000" "00000000" "00000000" "0000000000000000" "0000" "00000000" "FFFF0000"
              "0000000000000000" "00" "00000000" "FFFFFFFF" "000000000000000000000000000000000000000000000000");
    EXPECT_EQ(m.version, 7) << "the file gets version 8; the record keeps its own, which identifies the event";
}

// Distinct values in every field pin the field order, including the door
// values, whose order in the file differs from the one in memory.
TEST(RecordFile, FieldsAreWrittenInFileOrder)
{
    CSimpleMessage m;
    m.type = 1;
    m.date = std::string("not written");
    m.time = std::string("not written");
    m.name = std::string("n");
    m.desc = std::string("d");
    m.sysName = std::string("s");
    m.lockName = std::string("l");
    m.sid = 2;
    m.lid = 3;
    m.gid = std::string("g");
    m.mid = std::string("m");
    m.read = 1;
    m.tid = 4;
    m.level = 5;
    m.extra1 = 6;
    m.trnsName = std::string("t");
    m.ttime = 7;
    m.addr = 8;
    m.extra2 = 9;
    m.doorMonEvt = {.doorOpen = 10, .boltPos = 11, .manip = 12, .err = 13};
    m.analogInput = 14;

    std::string expected;
    for (int32_t v : {8, 1})
        PutInt32(&expected, v);
    for (const char* s : {"n", "d", "s", "l"})
        PutString(&expected, s);
    PutInt32(&expected, 2);
    PutInt32(&expected, 3);
    PutString(&expected, "g");
    PutString(&expected, "m");
    for (int32_t v : {1, 4, 5, 6})
        PutInt32(&expected, v);
    PutString(&expected, "t");
    for (int32_t v : {7, 8, 9, 11, 10, 13, 12, 14})
        PutInt32(&expected, v);

    CArchiveWriter ar;
    m.Serialize(ar);
    EXPECT_EQ(Hex(ar.Bytes()), Hex(expected));

    const CSimpleMessage back = Read(ar.Bytes());
    EXPECT_EQ(back.doorMonEvt.boltPos, 11);
    EXPECT_EQ(back.doorMonEvt.manip, 12);
    EXPECT_EQ(back.read, 1);
    EXPECT_EQ(back.date, "1970.01.01") << "rebuilt from ttime, not the text held before";
    EXPECT_EQ(back.time, "00:00:07");
}

TEST(RecordFile, Version1ReadsOnlyTextsAndTheReadFlag)
{
    std::string bytes;
    PutInt32(&bytes, 1);
    PutString(&bytes, "2011.03.07");
    PutString(&bytes, "14:05:09");
    PutCommonTexts(&bytes);
    PutString(&bytes, "7");
    PutString(&bytes, "3");
    PutInt32(&bytes, 1);
    ASSERT_EQ(bytes.size(), 64u);

    const CSimpleMessage m = Read(bytes);
    EXPECT_EQ(m.version, 1);
    EXPECT_EQ(m.date, "2011.03.07");
    EXPECT_EQ(m.time, "14:05:09");
    EXPECT_EQ(m.lockName, "Door 12");
    EXPECT_EQ(m.mid, "3");
    EXPECT_EQ(m.read, 1);
    EXPECT_EQ(m.type, 0);
    EXPECT_EQ(m.tid, 65535);
    EXPECT_EQ(m.ttime, 0);
}

// Versions 2 to 4 keep their date texts; 3 adds the level triple, 4 the
// transponder name, and nothing after that is read.
TEST(RecordFile, Versions2To4KeepTheirDateTextsAndDefaultTheRest)
{
    for (int32_t version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        std::string bytes;
        PutInt32(&bytes, version);
        PutInt32(&bytes, 3);
        PutString(&bytes, "2011.03.07");
        PutString(&bytes, "14:05:09");
        PutCommonTexts(&bytes);
        PutInt32(&bytes, 1);   // sid
        PutInt32(&bytes, 12);  // lid
        PutString(&bytes, "7");
        PutString(&bytes, "3");
        PutInt32(&bytes, 0);  // read
        if (version >= 3) {
            for (int32_t v : {4711, 2, 99})  // tid, level, extra1
                PutInt32(&bytes, v);
        }
        if (version >= 4)
            PutString(&bytes, "Key 4711");

        const CSimpleMessage m = Read(bytes);
        EXPECT_EQ(m.type, 3);
        EXPECT_EQ(m.date, "2011.03.07");
        EXPECT_EQ(m.lid, 12);
        EXPECT_EQ(m.tid, version >= 3 ? 4711 : 65535);
        EXPECT_EQ(m.level, version >= 3 ? 2 : 0);
        EXPECT_EQ(m.extra1, version >= 3 ? 99 : 0);
        EXPECT_EQ(m.trnsName, version >= 4 ? "Key 4711" : "");
        EXPECT_EQ(m.ttime, 0);
        EXPECT_EQ(m.addr, -1);
        EXPECT_EQ(m.analogInput, 0);
    }
}

// Versions 5 to 7 add one int each after trnsName; 9 and above read as 8.
TEST(RecordFile, LaterVersionsAddTheirTrailingNumbers)
{
    struct Case {
        int32_t version;
        int trailing;  // ints after trnsName
        int32_t addr, extra2, boltPos;
    } cases[] = {{5, 1, -1, 0, 0}, {6, 2, 21, 0, 0}, {7, 3, 21, 22, 0}, {8, 8, 21, 22, 23}, {9, 8, 21, 22, 23}};
    for (const Case& c : cases) {
        std::string bytes;
        PutInt32(&bytes, c.version);
        PutInt32(&bytes, 3);
        PutCommonTexts(&bytes);
        PutInt32(&bytes, 1);
        PutInt32(&bytes, 12);
        PutString(&bytes, "7");
        PutString(&bytes, "3");
        for (int32_t v : {1, 4711, 0, 0})
            PutInt32(&bytes, v);
        PutString(&bytes, "Key");
        PutInt32(&bytes, 1299506709);
        for (int i = 1; i < c.trailing; ++i)
            PutInt32(&bytes, 20 + i);

        const CSimpleMessage m = Read(bytes);
        SCOPED_TRACE(c.version);
        EXPECT_EQ(m.version, c.version);
        EXPECT_EQ(m.ttime, 1299506709);
        EXPECT_EQ(m.date, "2011.03.07");
        EXPECT_EQ(m.time, "14:05:09");
        EXPECT_EQ(m.addr, c.addr);
        EXPECT_EQ(m.extra2, c.extra2);
        EXPECT_EQ(m.doorMonEvt.boltPos, c.boltPos);
    }
}

TEST(RecordFile, RecordCutShortIsReportedWhereItEnds)
{
    CSimpleMessage m;
    m.desc = "Door opened";
    CArchiveWriter ar;
    m.Serialize(ar);
    const std::string& whole = ar.Bytes();
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        CArchiveReader reader(std::string_view(whole).substr(0, cut));
        CSimpleMessage back;
        EXPECT_FALSE(back.Serialize(reader)) << cut;
        EXPECT_GE(reader.FailedAt(), 0);
        EXPECT_LE(reader.FailedAt(), static_cast<int64_t>(cut));
    }
}
