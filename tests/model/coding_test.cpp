#include "coding.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

std::string EncodedString(size_t length)
{
    std::string out;
    PutString(&out, std::string(length, 'x'));
    return out;
}

std::string EncodedCount(uint32_t count)
{
    std::string out;
    PutCount(&out, count);
    return out;
}

}  // namespace

TEST(Coding, IntegersAreLittleEndian)
{
    std::string out;
    PutInt32(&out, -1);
    PutInt32(&out, 500);
    PutUint16(&out, 0x1234);
    PutUint32(&out, 0xA1B2C3D4);
    EXPECT_EQ(out, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xF4, 0x01, 0, 0, 0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}));

    std::string_view in = out;
    int32_t a, b;
    uint16_t c;
    uint32_t d;
    ASSERT_TRUE(GetInt32(&in, &a) && GetInt32(&in, &b) && GetUint16(&in, &c) && GetUint32(&in, &d));
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, 500);
    EXPECT_EQ(c, 0x1234);
    EXPECT_EQ(d, 0xA1B2C3D4u);
    EXPECT_TRUE(in.empty());
}

TEST(Coding, Int32RoundTripsItsExtremes)
{
    for (int32_t value : {INT32_MIN, INT32_MIN + 1, -2, 0, 65535, INT32_MAX}) {
        std::string out;
        PutInt32(&out, value);
        std::string_view in = out;
        int32_t back = 0;
        ASSERT_TRUE(GetInt32(&in, &back));
        EXPECT_EQ(back, value);
    }
}

TEST(Coding, CountWidensAtFFFF)
{
    EXPECT_EQ(EncodedCount(0), Bytes({0, 0}));
    EXPECT_EQ(EncodedCount(500), Bytes({0xF4, 0x01}));
    EXPECT_EQ(EncodedCount(0xFFFE), Bytes({0xFE, 0xFF}));
    EXPECT_EQ(EncodedCount(0xFFFF), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(EncodedCount(0x10000), Bytes({0xFF, 0xFF, 0, 0, 1, 0}));
    for (uint32_t count : {0u, 0xFFFEu, 0xFFFFu, 0x10000u, 0xFFFFFFFFu}) {
        const std::string out = EncodedCount(count);
        std::string_view in = out;
        uint32_t back = 0;
        ASSERT_TRUE(GetCount(&in, &back));
        EXPECT_EQ(back, count);
        EXPECT_TRUE(in.empty());
    }
}

TEST(Coding, StringLengthPrefixWidensAt255And65534)
{
    EXPECT_EQ(EncodedString(0), Bytes({0}));
    EXPECT_EQ(EncodedString(254).substr(0, 1), Bytes({254}));
    EXPECT_EQ(EncodedString(255).substr(0, 3), Bytes({0xFF, 0xFF, 0x00}));
    EXPECT_EQ(EncodedString(65533).substr(0, 3), Bytes({0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(EncodedString(65534).substr(0, 7), Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(EncodedString(70000).substr(0, 7), Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    for (size_t length : {0u, 1u, 254u, 255u, 65533u, 65534u, 70000u}) {
        const std::string out = EncodedString(length);
        std::string_view in = out;
        std::string back;
        ASSERT_TRUE(GetString(&in, &back)) << length;
        EXPECT_EQ(back, std::string(length, 'x'));
        EXPECT_TRUE(in.empty());
    }
}

TEST(Coding, StringKeepsEveryByteValue)
{
    std::string text;
    for (int c = 0; c < 256; ++c)
        text.push_back(static_cast<char>(c));
    std::string out;
    PutString(&out, text);
    std::string_view in = out;
    std::string back;
    ASSERT_TRUE(GetString(&in, &back));
    EXPECT_EQ(back, text);
}

TEST(Coding, UnwrittenFFFEPrefixReadsAs65534Bytes)
{
    const std::string out = Bytes({0xFF, 0xFE, 0xFF}) + std::string(65534, 'y') + "z";
    std::string_view in = out;
    std::string back;
    ASSERT_TRUE(GetString(&in, &back));
    EXPECT_EQ(back.size(), 65534u);
    EXPECT_EQ(in, "z");
}

// Every prefix of a valid encoding is too short: each must fail without
// consuming anything, so a caller can report where the data ended.
TEST(Coding, ShortInputFailsAndConsumesNothing)
{
    std::string all;
    PutCount(&all, 0x12345);
    PutString(&all, std::string(300, 'a'));
    PutString(&all, std::string(65534, 'b'));
    PutInt32(&all, 7);

    for (size_t cut = 0; cut < 6; ++cut) {
        std::string_view in = std::string_view(all).substr(0, cut);
        uint32_t count;
        EXPECT_FALSE(GetCount(&in, &count));
        EXPECT_EQ(in.size(), cut);
    }
    const std::string_view strings = std::string_view(all).substr(6);
    for (size_t cut : {0u, 1u, 2u, 3u, 302u}) {
        std::string_view in = strings.substr(0, cut);
        std::string text = "untouched";
        EXPECT_FALSE(GetString(&in, &text));
        EXPECT_EQ(in.size(), cut);
        EXPECT_EQ(text, "untouched");
    }
    std::string_view in = std::string_view(all).substr(all.size() - 3);
    int32_t value;
    EXPECT_FALSE(GetInt32(&in, &value));
    EXPECT_EQ(in.size(), 3u);
}

TEST(Coding, LengthBeyondTheDataIsRefused)
{
    // A 4 GB length with three bytes behind it must not be believed.
    const std::string out = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'});
    std::string_view in = out;
    std::string text;
    EXPECT_FALSE(GetString(&in, &text));
    EXPECT_EQ(in.size(), out.size());
}
