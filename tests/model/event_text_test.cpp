#include <string>

#include <gtest/gtest.h>

#include "simple_message.h"

namespace {

const char kExample[] = "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";

CSimpleMessage Parsed(std::string_view text)
{
    CSimpleMessage m;
    m.Parse(text);
    return m;
}

void ExpectWorkedExample(const CSimpleMessage& m)
{
    EXPECT_EQ(m.version, 8);
    EXPECT_EQ(m.type, 3);
    EXPECT_EQ(m.ttime, 1299506709);
    EXPECT_EQ(m.date, "2011.03.07");
    EXPECT_EQ(m.time, "14:05:09");
    EXPECT_EQ(m.name, "Anna");
    EXPECT_EQ(m.desc, "Door opened");
    EXPECT_EQ(m.sysName, "Site 1");
    EXPECT_EQ(m.lockName, "Door 12");
    EXPECT_EQ(m.sid, 1);
    EXPECT_EQ(m.lid, 12);
    EXPECT_EQ(m.gid, "7");
    EXPECT_EQ(m.mid, "3");
    EXPECT_EQ(m.level, 0);
    EXPECT_EQ(m.tid, 4711);
    EXPECT_EQ(m.extra1, 0);
    EXPECT_EQ(m.trnsName, "Key 4711");
    EXPECT_EQ(m.addr, 5);
    EXPECT_EQ(m.extra2, 0);
    EXPECT_EQ(m.doorMonEvt.boltPos, 1);
    EXPECT_EQ(m.doorMonEvt.doorOpen, 0);
    EXPECT_EQ(m.doorMonEvt.err, 0);
    EXPECT_EQ(m.doorMonEvt.manip, 0);
    EXPECT_EQ(m.analogInput, 235);
    EXPECT_EQ(m.read, 0);
}

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

}  // namespace

TEST(NextToken, CutsTokensAndKeepsTheTokenWhenRestIsEmpty)
{
    std::string token = "old";
    std::string rest = "a, b,,\"q\" ,last";
    NextToken(token, rest);
    EXPECT_EQ(token, "a");
    NextToken(token, rest);
    EXPECT_EQ(token, "b");  // one leading space removed
    NextToken(token, rest);
    EXPECT_EQ(token, "");
    NextToken(token, rest);
    EXPECT_EQ(token, "q  ");  // opening quote became the removed space
    NextToken(token, rest);
    EXPECT_EQ(token, "last");
    EXPECT_EQ(rest, "");
    NextToken(token, rest);
    EXPECT_EQ(token, "last");
}

TEST(NextToken, RemovesOnlyOneLeadingSpace)
{
    std::string token, rest = "  two,   three";
    NextToken(token, rest);
    EXPECT_EQ(token, " two");
    NextToken(token, rest);
    EXPECT_EQ(token, "  three");
}

TEST(Parse, WorkedExample)
{
    ExpectWorkedExample(Parsed(kExample));
    ExpectWorkedExample(Parsed(Replace(kExample, ",", ", ")));
}

TEST(Parse, QuotesBecomeSpacesAndDoNotProtectCommas)
{
    CSimpleMessage m = Parsed(Replace(kExample, "Door 12", "\"Door 12\""));
    EXPECT_EQ(m.lockName, "Door 12 ");
    m = Parsed(Replace(kExample, "Anna", "\"An,na\""));
    EXPECT_EQ(m.name, "An");
    EXPECT_EQ(m.desc, "na ");
}

TEST(Parse, ShortTextRepeatsTheLastNumberAndLeavesTextsEmpty)
{
    CSimpleMessage m = Parsed("8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5");
    EXPECT_EQ(m.addr, 5);
    EXPECT_EQ(m.extra2, 5);
    EXPECT_EQ(m.doorMonEvt.boltPos, 5);
    EXPECT_EQ(m.doorMonEvt.doorOpen, 5);
    EXPECT_EQ(m.doorMonEvt.err, 5);
    EXPECT_EQ(m.doorMonEvt.manip, 5);
    EXPECT_EQ(m.analogInput, 5);

    m = Parsed("8,3,1299506709,Anna");
    EXPECT_EQ(m.desc, "");
    EXPECT_EQ(m.lockName, "");
    EXPECT_EQ(m.sid, 1299506709);
    EXPECT_EQ(m.tid, 1299506709);
    EXPECT_EQ(m.addr, 1299506709);
}

TEST(Parse, OldVersionsReadTheirOwnFields)
{
    CSimpleMessage v4 = Parsed("4,3,2011.03.07,14:05:09,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711");
    EXPECT_EQ(v4.type, 3);
    EXPECT_EQ(v4.ttime, 0);
    EXPECT_EQ(v4.date, "2011.03.07");
    EXPECT_EQ(v4.time, "14:05:09");
    EXPECT_EQ(v4.trnsName, "Key 4711");
    EXPECT_EQ(v4.tid, 4711);
    EXPECT_EQ(v4.addr, -1);

    CSimpleMessage v1 = Parsed("1,2011.03.07,14:05:09,Anna,Door opened,Site 1,Door 12,7,3");
    EXPECT_EQ(v1.type, 0);
    EXPECT_EQ(v1.date, "2011.03.07");
    EXPECT_EQ(v1.time, "14:05:09");
    EXPECT_EQ(v1.name, "Anna");
    EXPECT_EQ(v1.lockName, "Door 12");
    EXPECT_EQ(v1.gid, "7");
    EXPECT_EQ(v1.mid, "3");
    EXPECT_EQ(v1.tid, 65535);

    // Version 6 has exactly the fields of version 5: no extra2.
    CSimpleMessage v6 = Parsed("6,3,1299506709,A,B,C,D,1,12,7,3,2,4711,9,K,5,77");
    EXPECT_EQ(v6.level, 2);
    EXPECT_EQ(v6.extra1, 9);
    EXPECT_EQ(v6.addr, 5);
    EXPECT_EQ(v6.extra2, 0);
}

TEST(Parse, VersionsAboveEightReadLikeEightAndIgnoreSurplusTokens)
{
    CSimpleMessage m = Parsed(std::string("9") + (kExample + 1) + ",99,98");
    EXPECT_EQ(m.version, 9);
    EXPECT_EQ(m.analogInput, 235);
    EXPECT_EQ(m.trnsName, "Key 4711");
}

TEST(Parse, ResetsEverythingFromAnEarlierContent)
{
    CSimpleMessage m = Parsed(kExample);
    m.read = 1;
    m.Parse("");
    EXPECT_EQ(m.version, 0);
    EXPECT_EQ(m.tid, 65535);
    EXPECT_EQ(m.addr, -1);
    EXPECT_EQ(m.name, "");
    EXPECT_EQ(m.read, 0);
}

TEST(Parse, HostileInputIsHarmless)
{
    Parsed(std::string(10000, ','));
    Parsed("no commas at all");
    Parsed("99999999999,-,+7x,\x80\xff\x01\x1f,\"\"\"");
    CSimpleMessage m = Parsed("8,3,99999999999,a,b,c,d,-99999999999");
    EXPECT_EQ(m.ttime, INT32_MAX);
    EXPECT_EQ(m.sid, INT32_MIN);
    m = Parsed("8,3,-2147483648");  // the earliest representable time still formats
    EXPECT_EQ(m.date, "1901.12.13");
    m = Parsed("\xc3\xa9,\x80");
    EXPECT_EQ(m.version, 0);
}
