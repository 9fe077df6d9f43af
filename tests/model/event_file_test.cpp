#include "event_file.h"
#include "file_outcome_text.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "coding.h"
#include "archive.h"
#include "event_file_format.h"
#include "store_fixtures.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string Header(int32_t capacity, int32_t maxUsed, uint32_t count)
{
    std::string out;
    PutInt32(&out, capacity);
    PutInt32(&out, maxUsed);
    PutCount(&out, count);
    return out;
}

std::string Records(int count, int firstTime = 1000)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        CSimpleMessage m;
        m.Parse(FullEvent(firstTime + i, std::to_string(i)));
        CArchiveWriter ar;
        m.Serialize(ar);
        out += ar.Bytes();
    }
    return out;
}

class EventFile : public ::testing::Test {
protected:
    void SetUp() override { ResetStore(); }

    std::string DataFile() const { return EventFilePath(m_folder.Path()); }

    ScratchFolder m_folder;
    CSimpleMessage m_shown;
};

}  // namespace

TEST_F(EventFile, StartUpStoreSavesAsTheGoldenBytes)
{
    const FileOutcome outcome = SaveEventFile(m_folder.Path());
    EXPECT_EQ(outcome.kind, FileOutcome::Saved);
    EXPECT_TRUE(FileOutcomeText(outcome).empty());

    const std::string bytes = ReadFile(DataFile());
    ASSERT_EQ(bytes.size(), 35510u);
    EXPECT_EQ(bytes.substr(0, 10), "\xF4\x01\x00\x00\xFF\xFF\xFF\xFF\xF4\x01"s);
    CSimpleMessage defaults;
    CArchiveWriter ar;
    defaults.Serialize(ar);
    ASSERT_EQ(ar.Bytes().size(), 71u);
    for (size_t slot = 0; slot < 500; ++slot)
        ASSERT_EQ(bytes.substr(10 + slot * 71, 71), ar.Bytes()) << slot;
    EXPECT_FALSE(fs::exists(DataFile() + ".tmp"));
}

TEST_F(EventFile, SaveAndLoadReproduceTheStore)
{
    ResetStore(300);
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(AddMessage(FullEvent(5000 - i, std::to_string(i))));
    g_Array[7].read = 1;
    ASSERT_EQ(SaveEventFile(m_folder.Path()).kind, FileOutcome::Saved);
    const std::vector<CSimpleMessage> saved = g_Array;

    ResetStore();
    const FileOutcome outcome = LoadEventFile(m_shown, m_folder.Path());
    EXPECT_EQ(outcome.kind, FileOutcome::Loaded);
    EXPECT_EQ(outcome.damagedAt, -1);
    EXPECT_EQ(max_messages, 300);
    EXPECT_EQ(max_used_item, 119);
    EXPECT_EQ(cur_item, 119);
    EXPECT_EQ(m_shown.desc, "desc 119");
    ASSERT_EQ(g_Array.size(), 300u);
    for (size_t i = 0; i < 120; ++i) {
        EXPECT_EQ(g_Array[i].desc, saved[i].desc);
        EXPECT_EQ(g_Array[i].ttime, saved[i].ttime);
        EXPECT_EQ(g_Array[i].date, saved[i].date);
        EXPECT_EQ(g_Array[i].doorMonEvt.manip, saved[i].doorMonEvt.manip);
        EXPECT_EQ(g_Array[i].read, saved[i].read);
    }
    // Unused slots hold defaults, whose time 0 now reads as a date too.
    EXPECT_EQ(g_Array[200].tid, 65535);
    EXPECT_EQ(g_Array[200].date, "1970.01.01");
    EXPECT_EQ(g_Pos[0], 119) << "time order rebuilt: the latest arrival has the earliest time";
    ExpectConsistentStore();
}

TEST_F(EventFile, MissingFileLeavesTheStartUpStore)
{
    const FileOutcome outcome = LoadEventFile(m_shown, m_folder.Path());
    EXPECT_EQ(outcome.kind, FileOutcome::NoFile);
    EXPECT_TRUE(FileOutcomeText(outcome).empty());
    EXPECT_EQ(max_messages, 500);
    EXPECT_EQ(max_used_item, -1);
    EXPECT_EQ(cur_item, -1);
}

TEST_F(EventFile, NoDirectoryIsReportedAndNothingIsTouched)
{
    for (const FileOutcome& outcome : {SaveEventFile(""), LoadEventFile(m_shown, "")}) {
        EXPECT_EQ(outcome.kind, FileOutcome::NoDirectory);
        EXPECT_EQ(FileOutcomeText(outcome), "Registry entries are not available");
    }
}

TEST_F(EventFile, FirstSaveCreatesTheFolder)
{
    const std::string nested = m_folder / "share/Tellvane";
    EXPECT_EQ(SaveEventFile(nested).kind, FileOutcome::Saved);
    EXPECT_TRUE(fs::exists(nested + "/zqtvane.dat"));
}

TEST_F(EventFile, FailedSaveKeepsThePreviousFile)
{
    ASSERT_TRUE(AddMessage(FullEvent(1000, "old")));
    ASSERT_EQ(SaveEventFile(m_folder.Path()).kind, FileOutcome::Saved);
    const std::string previous = ReadFile(DataFile());
    ASSERT_TRUE(AddMessage(FullEvent(2000, "new")));

    // A folder where the temporary file should go: it cannot be opened.
    fs::create_directory(DataFile() + ".tmp");
    FileOutcome outcome = SaveEventFile(m_folder.Path());
    EXPECT_EQ(outcome.kind, FileOutcome::OpenFailed);
    EXPECT_EQ(FileOutcomeText(outcome), "Could not open the file " + DataFile());
    EXPECT_EQ(ReadFile(DataFile()), previous);
    fs::remove(DataFile() + ".tmp");

    // A folder in the file's place: writing works, replacing does not.
    const std::string elsewhere = m_folder / "blocked";
    fs::create_directories(EventFilePath(elsewhere) + "/inside");
    outcome = SaveEventFile(elsewhere);
    EXPECT_EQ(outcome.kind, FileOutcome::WriteFailed);
    EXPECT_EQ(FileOutcomeText(outcome), "Could not open the file " + EventFilePath(elsewhere));
    EXPECT_FALSE(fs::exists(EventFilePath(elsewhere) + ".tmp")) << "the temporary file is removed";

    // A file where the folder should be.
    WriteFile(m_folder / "plain", "x");
    outcome = SaveEventFile(m_folder / "plain");
    EXPECT_EQ(outcome.kind, FileOutcome::OpenFailed);
    EXPECT_EQ(FileOutcomeText(outcome), "Could not open the file " + EventFilePath(m_folder / "plain"));
}

TEST_F(EventFile, CapacityChangedBeforeSavingIsTakenOver)
{
    SetMaxMessages(1000);
    ASSERT_EQ(SaveEventFile(m_folder.Path()).kind, FileOutcome::Saved);
    ResetStore();
    EXPECT_EQ(LoadEventFile(m_shown, m_folder.Path()).kind, FileOutcome::Loaded);
    EXPECT_EQ(max_messages, 1000);
    EXPECT_EQ(g_Array.size(), 1000u);
    EXPECT_EQ(g_Pos.size(), 1000u);
}

TEST_F(EventFile, UsedSlotBeyondCapacityRaisesIt)
{
    EXPECT_EQ(LoadEventBytes(Header(500, 600, 601) + Records(601), m_shown).kind, FileOutcome::Loaded);
    EXPECT_EQ(max_messages, 601);
    EXPECT_EQ(g_Array.size(), 601u);
    EXPECT_EQ(g_Pos.size(), 601u);
    EXPECT_EQ(g_PosList.size(), 601u);
    EXPECT_EQ(m_shown.desc, "desc 600");
}

TEST_F(EventFile, SurplusSlotsStayUnused)
{
    EXPECT_EQ(LoadEventBytes(Header(100, 9, 150) + Records(150), m_shown).kind, FileOutcome::Loaded);
    EXPECT_EQ(max_messages, 100);
    EXPECT_EQ(max_used_item, 9);
    EXPECT_EQ(g_Array.size(), 150u);
    EXPECT_EQ(g_Pos.size(), 100u);
    ExpectConsistentStore();
}

TEST_F(EventFile, HeaderValuesOutsideTheirRangeAreBroughtIntoIt)
{
    struct Case {
        int32_t capacity, maxUsed;
        int records;
        int wantCapacity, wantMaxUsed;
    } cases[] = {
        {50, 3, 10, 100, 3},          {0, -1, 0, 100, -1},       {20000, 5, 10, 10000, 5},
        {500, 400, 10, 500, 9},       {500, -9, 10, 500, -1},    {INT32_MIN, INT32_MAX, 3, 100, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        ResetStore();
        EXPECT_EQ(LoadEventBytes(Header(c.capacity, c.maxUsed, c.records) + Records(c.records), m_shown).kind,
                  FileOutcome::Loaded);
        EXPECT_EQ(max_messages, c.wantCapacity);
        EXPECT_EQ(max_used_item, c.wantMaxUsed);
        EXPECT_EQ(cur_item, c.wantMaxUsed);
        ExpectConsistentStore();
    }
}

// A count no file of this size could hold must not be allocated for.
TEST_F(EventFile, HugeSlotCountIsDamageNotAnAllocation)
{
    const std::string bytes = Header(500, 2, 0xFFFFFFFF) + Records(3);
    const FileOutcome outcome = LoadEventBytes(bytes, m_shown);
    EXPECT_EQ(outcome.kind, FileOutcome::Damaged);
    EXPECT_EQ(outcome.damagedAt, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(max_used_item, 2) << "the records that were there are kept";
    EXPECT_LE(g_Array.capacity(), 500u);
    ExpectConsistentStore();
}

TEST_F(EventFile, DamagedHeaderChangesNothing)
{
    ASSERT_TRUE(AddMessage(FullEvent(1000, "kept")));
    for (size_t cut = 0; cut < 10; ++cut) {
        const FileOutcome outcome = LoadEventBytes(Header(500, 0, 1).substr(0, cut), m_shown);
        EXPECT_EQ(outcome.kind, FileOutcome::Damaged);
        EXPECT_EQ(max_used_item, 0);
        EXPECT_EQ(g_Array[0].desc, "desc kept");
    }
}

// Cutting the file anywhere inside its first three records keeps exactly
// the records before the cut and leaves a store every reader can use.
TEST_F(EventFile, TruncationAnywhereInTheFirstRecordsKeepsTheWholeOnes)
{
    ResetStore(100);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(AddMessage(FullEvent(3000 - i, std::to_string(i))));
    const std::string bytes = EncodeEventFile();
    const size_t recordSize = Records(1).size();
    const size_t header = 10;
    ASSERT_GT(recordSize, 71u);
    const std::vector<CSimpleMessage> saved = g_Array;

    for (size_t cut = header; cut < header + 3 * recordSize; ++cut) {
        SCOPED_TRACE(cut);
        ResetStore();
        const FileOutcome outcome = LoadEventBytes(std::string_view(bytes).substr(0, cut), m_shown);
        EXPECT_EQ(outcome.kind, FileOutcome::Damaged);
        EXPECT_GE(outcome.damagedAt, static_cast<int64_t>(header));
        EXPECT_LE(outcome.damagedAt, static_cast<int64_t>(cut));
        const int whole = static_cast<int>((cut - header) / recordSize);
        EXPECT_EQ(max_used_item, whole - 1);
        EXPECT_EQ(max_messages, 100);
        for (int slot = 0; slot < whole; ++slot)
            EXPECT_EQ(g_Array[slot].desc, saved[slot].desc);
        if (whole > 0) {
            EXPECT_EQ(m_shown.desc, saved[whole - 1].desc);
        }
        ExpectConsistentStore();
    }
}

TEST_F(EventFile, UnreadableFileIsSetAsideBeforeTheNextSave)
{
    // A folder where the file should be: it opens but cannot be read.
    fs::create_directories(DataFile());
    WriteFile(DataFile() + "/inside", "kept");
    EXPECT_EQ(LoadEventFile(m_shown, m_folder.Path()).kind, FileOutcome::OpenFailed);
    EXPECT_EQ(max_used_item, -1);
    EXPECT_EQ(ReadFile(DataFile() + ".damaged/inside"), "kept");
    EXPECT_EQ(SaveEventFile(m_folder.Path()).kind, FileOutcome::Saved);
}

TEST_F(EventFile, DamagedFileIsSetAsideOnce)
{
    WriteFile(m_folder / "zqtvane.dat.damaged", "an older one");
    const std::string damaged = Header(100, 1, 2) + Records(2).substr(0, 100);
    WriteFile(DataFile(), damaged);

    const FileOutcome outcome = LoadEventFile(m_shown, m_folder.Path());
    EXPECT_EQ(outcome.kind, FileOutcome::Damaged);
    EXPECT_TRUE(FileOutcomeText(outcome).empty()) << "a damaged file is not reported to the user";
    EXPECT_EQ(max_used_item, 0);
    EXPECT_FALSE(fs::exists(DataFile()));
    EXPECT_EQ(ReadFile(DataFile() + ".damaged"), "an older one") << "an earlier damaged copy is never replaced";
    EXPECT_EQ(ReadFile(DataFile() + ".damaged.1"), damaged);

    // The next save writes a fresh file and leaves the damaged copy alone.
    ASSERT_EQ(SaveEventFile(m_folder.Path()).kind, FileOutcome::Saved);
    EXPECT_EQ(ReadFile(DataFile() + ".damaged.1"), damaged);
    ResetStore();
    EXPECT_EQ(LoadEventFile(m_shown, m_folder.Path()).kind, FileOutcome::Loaded);
    EXPECT_EQ(max_used_item, 0);
}
