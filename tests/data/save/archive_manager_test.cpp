// The save-file manager: the slot file's lead byte and byte mask, the stream's
// header and archive order, the older unmasked files, six slots with their
// summaries in "SaveIndex.dat" (both entry layouts), and damaged or missing files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "../data_test_util.h"
#include "archive/gvlSerialize.h"
#include "save/ArchiveManager.h"
#include "system.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes FileBytes(const std::string& path) {
    std::string s = datatest::ReadFile(path);
    return Bytes(s.begin(), s.end());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutInt(Bytes& b, int v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i)));
}
void PutText(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}

size_t MessageCount() { return plat::RecordedMessageBoxes().size(); }
std::string LastMessage() {
    return plat::RecordedMessageBoxes().empty() ? std::string() : plat::RecordedMessageBoxes().back().text;
}

CStringMap Archive(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    CStringMap a;
    for (const auto& [k, v] : pairs) a.SetString(k, v);
    return a;
}

// A field save as the savers assemble it.
void AssembleFieldSave(CArchiveManager& m, int chapter, int difficulty, const char* kind, const char* marker) {
    m.ClearArchives();
    m.ClearCurrentArchive();
    m.SetArchive(PartyDataKey, Archive({{"nMap", marker}}));
    m.SetArchive(FieldTaskInfoKey, Archive({{"m_nTurn", marker}}));
    m.SetString(SaveFileChapterKey, std::to_string(chapter));
    m.SetString(SaveFileDiffKey, std::to_string(difficulty));
    m.SetString(SaveFileTypeKey, kind);
}

class ArchiveManagerTest : public ::testing::Test {
protected:
    datatest::LogCapture log;
};

TEST(SaveMask, LeadByteAndPositionMask) {
    Bytes stream = {0x04, 0x00, 0x00, 0x00};
    Bytes file = CArchiveManager::MaskStream(stream);
    EXPECT_EQ(file, (Bytes{0x0A, 0x04, 0xFF, 0xFE, 0xFD}));
    // Byte 256 is stored unchanged again, byte 255 with 0x01.
    Bytes zeros(300, 0);
    file = CArchiveManager::MaskStream(zeros);
    ASSERT_EQ(file.size(), 301u);
    EXPECT_EQ(file[256], 0x01);
    EXPECT_EQ(file[257], 0x00);
    EXPECT_EQ(file[258], 0xFF);
    // The lead byte is ignored on reading, whatever its value.
    file[0] = 0x77;
    EXPECT_EQ(CArchiveManager::UnmaskFile(file), zeros);
}

TEST_F(ArchiveManagerTest, StreamHoldsTheHeaderThenTheNamedArchivesInOrder) {
    CArchiveManager m;
    AssembleFieldSave(m, 3, 2, FieldSave, "7");
    ASSERT_TRUE(m.Save(0));
    Bytes stream = CArchiveManager::UnmaskFile(FileBytes(log.Dir() + "Save0.dat"));
    EXPECT_EQ(FileBytes(log.Dir() + "Save0.dat")[0], 0x0A);

    Bytes expected;
    PutInt(expected, 4);
    for (auto [k, v] : {std::pair{"SaveFileChapterKey", "3"}, {"SaveFileDiffKey", "2"},
                        {"SaveFileTypeKey", "FieldSave"}, {"SaveFileVersion", "10"}}) {
        PutText(expected, k);
        PutText(expected, v);
    }
    PutInt(expected, 2);
    PutText(expected, "PartyDataKey");
    PutInt(expected, 1);
    PutText(expected, "nMap");
    PutText(expected, "7");
    PutText(expected, "FieldTaskInfoKey");
    PutInt(expected, 1);
    PutText(expected, "m_nTurn");
    PutText(expected, "7");
    EXPECT_EQ(stream, expected);
    // Saving empties the archives.
    EXPECT_TRUE(m.GetArchives().empty());
    EXPECT_FALSE(m.HasKey(SaveFileTypeKey));
}

TEST_F(ArchiveManagerTest, LoadGivesTheArchivesBackWithTheVersionOfTheFile) {
    CArchiveManager m;
    AssembleFieldSave(m, 4, 3, IntermissionSave, "x");
    m.SetString(SaveFileVersion, "99");
    ASSERT_TRUE(m.Save(1));
    ASSERT_TRUE(m.Load(1));
    ASSERT_EQ(m.GetArchives().size(), 2u);
    EXPECT_EQ(m.GetArchives()[0].name, "PartyDataKey");
    EXPECT_EQ(m.GetArchives()[1].name, "FieldTaskInfoKey");
    EXPECT_EQ(m.GetString(SaveFileVersion, false), "10");
    EXPECT_EQ(m.GetString(SaveFileTypeKey, true), "IntermissionSave");
    EXPECT_FALSE(m.HasKey(SaveFileTypeKey));
    EXPECT_EQ(m.GetArchive(PartyDataKey, true).GetString("nMap", ""), "x");
    EXPECT_FALSE(m.HasArchive(PartyDataKey));
    EXPECT_TRUE(m.HasArchive(FieldTaskInfoKey));
    EXPECT_EQ(log.All(), "");
}

TEST_F(ArchiveManagerTest, HandMadeFileReads) {
    Bytes stream;
    PutInt(stream, 2);
    PutText(stream, "SaveFileTypeKey");
    PutText(stream, "FieldSave");
    PutText(stream, "SaveFileVersion");
    PutText(stream, "3");  // the file's form decides the version
    PutInt(stream, 1);
    PutText(stream, "FieldTaskInfoKey");
    PutInt(stream, 1);
    PutText(stream, "m_nTurn");
    PutText(stream, std::string(300, '7'));  // long enough for the mask to wrap
    Bytes file = {0x00};
    for (size_t k = 0; k < stream.size(); ++k) file.push_back(static_cast<unsigned char>(stream[k] ^ ((256 - k % 256) % 256)));
    WriteBytes(log.Dir() + "Save4.dat", file);
    CArchiveManager m;
    ASSERT_TRUE(m.Load(4));
    EXPECT_EQ(m.GetString(SaveFileVersion, false), "10");
    EXPECT_EQ(m.GetString(SaveFileTypeKey, false), "FieldSave");
    ASSERT_EQ(m.GetArchives().size(), 1u);
    EXPECT_EQ(m.GetArchive(FieldTaskInfoKey, false).GetString("m_nTurn", ""), std::string(300, '7'));
    // A named-archive count that the rest of the file cannot hold is a damaged file.
    Bytes big = stream;
    big[4 + 16 + 10 + 16 + 2] = 0x40;  // the count's low byte: 64 archives
    file.assign(1, 0x0A);
    for (size_t k = 0; k < big.size(); ++k) file.push_back(static_cast<unsigned char>(big[k] ^ ((256 - k % 256) % 256)));
    WriteBytes(log.Dir() + "Save4.dat", file);
    EXPECT_FALSE(m.Load(4));
    EXPECT_EQ(LastMessage(), "不正なセーブファイルです。");
}

TEST_F(ArchiveManagerTest, OlderUnmaskedFileCountsAsVersionOne) {
    CArchiveManager m;
    m.SetArchive(PartyDataKey, Archive({{"nMap", "2"}}));
    m.SetString(SaveFileTypeKey, ChapterSave);
    m.SetString(SaveFileVersion, "10");
    WriteBytes(log.Dir() + "Sav2.dat", m.BuildStream());
    m.ClearArchives();
    ASSERT_TRUE(m.Load(2));
    EXPECT_EQ(m.GetString(SaveFileVersion, false), "1");
    EXPECT_EQ(m.GetArchive(PartyDataKey, false).GetInt("nMap", 0), 2);
    // A "Save" file of the slot is preferred when there is one.
    AssembleFieldSave(m, 5, 1, FieldSave, "new");
    ASSERT_TRUE(m.Save(2));
    ASSERT_TRUE(m.Load(2));
    EXPECT_EQ(m.GetString(SaveFileVersion, false), "10");
    EXPECT_EQ(m.GetArchive(PartyDataKey, false).GetString("nMap", ""), "new");
}

TEST_F(ArchiveManagerTest, SetArchiveReplacesInPlaceAndGetArchiveOfAnAbsentName) {
    CArchiveManager m;
    m.SetArchive("A", Archive({{"k", "1"}}));
    m.SetArchive("B", Archive({{"k", "2"}}));
    m.SetArchive("A", Archive({{"k", "3"}}));
    ASSERT_EQ(m.GetArchives().size(), 2u);
    EXPECT_EQ(m.GetArchives()[0].name, "A");
    EXPECT_EQ(m.GetArchive("A", false).GetString("k", ""), "3");
    EXPECT_TRUE(m.GetArchive("a", true).GetMap().empty());
    EXPECT_EQ(m.GetArchives().size(), 2u);
    EXPECT_EQ(m.GetString("missing", true), "");
}

TEST_F(ArchiveManagerTest, SixSlotsSaveAndLoadWithTheirSummaries) {
    {
        CArchiveManager m;
        for (int slot = 0; slot < kSaveSlotCount; ++slot) {
            if (slot == 3) {
                m.ClearArchives();
                m.ClearCurrentArchive();
                m.SetArchive(PartyDataKey, Archive({{"nMap", "s3"}}));
                m.SetString(SaveFileChapterKey, "9");
                m.SetString(SaveFileDiffKey, "5");
                m.SetString(SaveFileTypeKey, ChapterSave);
            } else {
                AssembleFieldSave(m, 10 + slot, 1 + slot % 5, slot % 2 ? FieldSave : IntermissionSave,
                                  ("s" + std::to_string(slot)).c_str());
            }
            ASSERT_TRUE(m.Save(slot));
        }
    }
    CArchiveManager m;  // reads the summaries back from "SaveIndex.dat"
    for (int slot = 0; slot < kSaveSlotCount; ++slot) {
        SaveSlotInfo info = m.GetSlotInfo(slot);
        if (slot == 3) {
            EXPECT_EQ(info.nChapter, 9);
            EXPECT_EQ(info.strSaveType, "ChapterSave");
            EXPECT_EQ(info.nDifficulty, 5);
        } else {
            EXPECT_EQ(info.nChapter, 10 + slot);
            EXPECT_EQ(info.strSaveType, slot % 2 ? "FieldSave" : "IntermissionSave");
            EXPECT_EQ(info.nDifficulty, 1 + slot % 5);
        }
        ASSERT_TRUE(m.Load(slot));
        EXPECT_EQ(m.GetArchive(PartyDataKey, false).GetString("nMap", ""), "s" + std::to_string(slot));
        EXPECT_EQ(m.GetArchives().size(), slot == 3 ? 1u : 2u);
    }
    EXPECT_EQ(log.All(), "");
}

TEST_F(ArchiveManagerTest, IndexFileLayoutAfterOneSave) {
    CArchiveManager m;
    for (int s = 0; s < kSaveSlotCount; ++s) EXPECT_EQ(m.GetSlotInfo(s).nChapter, -1);
    AssembleFieldSave(m, 6, 4, FieldSave, "z");
    ASSERT_TRUE(m.Save(3));
    Bytes expected;
    PutInt(expected, 6);
    for (int i = 0; i < 6; ++i) {
        PutInt(expected, -1);
        PutInt(expected, i);
        PutInt(expected, i == 3 ? 6 : -1);
        PutInt(expected, i == 3 ? 4 : 2);
        PutText(expected, i == 3 ? "FieldSave" : "");
    }
    EXPECT_EQ(FileBytes(log.Dir() + "SaveIndex.dat"), expected);
}

TEST_F(ArchiveManagerTest, OlderAndMixedIndexEntriesAndAShortCount) {
    Bytes index;
    PutInt(index, 2);
    PutInt(index, 4);  // older entry: slot, chapter, kind
    PutInt(index, 12);
    PutText(index, "ChapterSave");
    PutInt(index, -1);  // current entry
    PutInt(index, 1);
    PutInt(index, 3);
    PutInt(index, 5);
    PutText(index, "FieldSave");
    CArchiveManager m;
    WriteBytes(log.Dir() + "SaveIndex.dat", index);
    EXPECT_TRUE(m.ReadIndexFile());  // the index alone (without the files its slots are empty)
    EXPECT_EQ(m.GetSlotInfo(4).nChapter, 12);
    EXPECT_EQ(m.GetSlotInfo(4).strSaveType, "ChapterSave");
    EXPECT_EQ(m.GetSlotInfo(4).nDifficulty, 2);
    EXPECT_EQ(m.GetSlotInfo(1).nChapter, 3);
    EXPECT_EQ(m.GetSlotInfo(1).nDifficulty, 5);
    for (int s : {0, 2, 3, 5}) {
        EXPECT_EQ(m.GetSlotInfo(s).nChapter, -1);
        EXPECT_EQ(m.GetSlotInfo(s).strSaveType, "");
        EXPECT_EQ(m.GetSlotInfo(s).nDifficulty, 2);
    }
    EXPECT_EQ(log.All(), "");
}

TEST_F(ArchiveManagerTest, IndexWithAWrongCountOrForeignSlotsKeepsWhatItCanRead) {
    Bytes index;
    PutInt(index, 6);  // but only two entries follow
    PutInt(index, 0);
    PutInt(index, 2);
    PutText(index, "ChapterSave");
    PutInt(index, 9);  // a slot that does not exist
    PutInt(index, 2);
    PutText(index, "ChapterSave");
    CArchiveManager m;
    WriteBytes(log.Dir() + "SaveIndex.dat", index);
    EXPECT_FALSE(m.ReadIndexFile());
    EXPECT_EQ(m.GetSlotInfo(0).nChapter, 2);
    for (int s = 1; s < 6; ++s) EXPECT_EQ(m.GetSlotInfo(s).nChapter, -1);
    EXPECT_EQ(log.Lines().size(), 3u);  // the count, the foreign slot and the short file

    WriteBytes(log.Dir() + "SaveIndex.dat", Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2});
    EXPECT_FALSE(m.ReadIndexFile());
    for (int s = 0; s < 6; ++s) EXPECT_EQ(m.GetSlotInfo(s).nChapter, -1);
    EXPECT_EQ(m.GetSlotInfo(7).nChapter, -1);
}

TEST_F(ArchiveManagerTest, MissingEmptyTruncatedAndScrambledFilesAreRejected) {
    CArchiveManager m;
    AssembleFieldSave(m, 1, 2, FieldSave, "good");
    ASSERT_TRUE(m.Save(5));
    const Bytes good = FileBytes(log.Dir() + "Save5.dat");

    size_t boxes = MessageCount();
    EXPECT_FALSE(m.Load(0));  // nothing at all
    EXPECT_EQ(MessageCount(), boxes + 1);
    EXPECT_EQ(LastMessage(), "セーブファイルを開けませんでした。");
    EXPECT_TRUE(m.GetArchives().empty());
    EXPECT_FALSE(m.HasKey(SaveFileVersion));

    WriteBytes(log.Dir() + "Save1.dat", Bytes{});
    EXPECT_FALSE(m.Load(1));
    EXPECT_EQ(LastMessage(), "セーブファイルを開けませんでした。");

    Bytes cut(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    WriteBytes(log.Dir() + "Save2.dat", cut);
    EXPECT_FALSE(m.Load(2));
    EXPECT_EQ(LastMessage(), "不正なセーブファイルです。");
    EXPECT_TRUE(m.GetArchives().empty());
    EXPECT_FALSE(m.HasKey(SaveFileTypeKey));

    Bytes scrambled = good;
    for (size_t i = 1; i < scrambled.size(); i += 3) scrambled[i] ^= 0x5A;
    WriteBytes(log.Dir() + "Save3.dat", scrambled);
    EXPECT_FALSE(m.Load(3));
    EXPECT_EQ(LastMessage(), "不正なセーブファイルです。");
    EXPECT_TRUE(m.GetArchives().empty());

    // The good slot is untouched by all of this.
    ASSERT_TRUE(m.Load(5));
    EXPECT_EQ(m.GetArchive(PartyDataKey, false).GetString("nMap", ""), "good");
    EXPECT_EQ(FileBytes(log.Dir() + "Save5.dat"), good);
}

TEST_F(ArchiveManagerTest, FailedWriteKeepsTheOldFileAndSummary) {
    CArchiveManager m;
    AssembleFieldSave(m, 8, 3, FieldSave, "old");
    ASSERT_TRUE(m.Save(4));
    const Bytes oldFile = FileBytes(log.Dir() + "Save4.dat");
    const Bytes oldIndex = FileBytes(log.Dir() + "SaveIndex.dat");
    // The temporary file cannot be made: a folder stands in its place.
    std::filesystem::create_directories(log.Dir() + "Save4.dat.tmp/x");
    size_t boxes = MessageCount();
    AssembleFieldSave(m, 20, 1, ChapterSave, "new");
    EXPECT_FALSE(m.Save(4));
    EXPECT_EQ(MessageCount(), boxes + 1);
    EXPECT_EQ(LastMessage(), "ファイルの書き込みに失敗しました。");
    EXPECT_EQ(FileBytes(log.Dir() + "Save4.dat"), oldFile);
    EXPECT_EQ(FileBytes(log.Dir() + "SaveIndex.dat"), oldIndex);
    EXPECT_EQ(m.GetSlotInfo(4).nChapter, 8);
    EXPECT_EQ(m.GetSlotInfo(4).strSaveType, "FieldSave");
    EXPECT_TRUE(m.GetArchives().empty());
    ASSERT_TRUE(m.Load(4));
    EXPECT_EQ(m.GetArchive(PartyDataKey, false).GetString("nMap", ""), "old");
}

TEST_F(ArchiveManagerTest, SingleInstance) {
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* first = CArchiveManager::GetInstance();
    CArchiveManager::CreateInstance();
    EXPECT_EQ(CArchiveManager::GetInstance(), first);
    CArchiveManager::DestroyInstance();
}

}  // namespace

// A save is durable: both files are written beside their targets and flushed before
// either replaces anything, and the save files win over a stale or damaged index.
TEST_F(ArchiveManagerTest, IndexThatCannotBeWrittenLeavesTheSlotFileAsItWas) {
    CArchiveManager m;
    AssembleFieldSave(m, 8, 3, FieldSave, "old");
    ASSERT_TRUE(m.Save(2));
    const Bytes oldFile = FileBytes(log.Dir() + "Save2.dat");
    const Bytes oldIndex = FileBytes(log.Dir() + "SaveIndex.dat");
    std::filesystem::create_directories(log.Dir() + "SaveIndex.dat.tmp/x");
    AssembleFieldSave(m, 20, 1, ChapterSave, "new");
    EXPECT_FALSE(m.Save(2));
    EXPECT_EQ(LastMessage(), "ファイルの書き込みに失敗しました。");
    EXPECT_EQ(FileBytes(log.Dir() + "Save2.dat"), oldFile);
    EXPECT_EQ(FileBytes(log.Dir() + "SaveIndex.dat"), oldIndex);
    EXPECT_EQ(m.GetSlotInfo(2).nChapter, 8);
    EXPECT_FALSE(std::filesystem::exists(log.Dir() + "Save2.dat.tmp"));
}

TEST_F(ArchiveManagerTest, StaleOrDamagedIndexIsRebuiltFromTheSaveFiles) {
    {
        CArchiveManager m;
        AssembleFieldSave(m, 3, 1, FieldSave, "a");
        ASSERT_TRUE(m.Save(0));
        AssembleFieldSave(m, 7, 2, ChapterSave, "b");
        ASSERT_TRUE(m.Save(5));
    }
    const Bytes index = FileBytes(log.Dir() + "SaveIndex.dat");
    for (const Bytes& damaged : {Bytes(index.begin(), index.begin() + 7), Bytes{}, Bytes{1, 2, 3}}) {
        WriteBytes(log.Dir() + "SaveIndex.dat", damaged);
        WriteBytes(log.Dir() + "Save3.dat.tmp", Bytes{9, 9});  // left by a save that was cut off
        CArchiveManager m;
        EXPECT_EQ(m.GetSlotInfo(0).nChapter, 3);
        EXPECT_EQ(m.GetSlotInfo(0).strSaveType, "FieldSave");
        EXPECT_EQ(m.GetSlotInfo(5).nChapter, 7);
        EXPECT_EQ(m.GetSlotInfo(5).nDifficulty, 2);
        EXPECT_EQ(m.GetSlotInfo(3).nChapter, -1);
        EXPECT_FALSE(std::filesystem::exists(log.Dir() + "Save3.dat.tmp"));
    }
    EXPECT_NE(log.All().find("読み直しました"), std::string::npos);
}

// The index lists a save whose file is gone (at the start, or removed while the game
// runs): its slot is empty, so the load screen never offers what cannot be opened.
// A file that is there but cannot be read keeps the index's word.
TEST_F(ArchiveManagerTest, ASlotShowsASaveOnlyWhenItsFileIsThere) {
    {
        CArchiveManager m;
        for (int slot : {0, 2, 4}) {
            AssembleFieldSave(m, slot + 1, 1, ChapterSave, "x");
            ASSERT_TRUE(m.Save(slot));
        }
    }
    std::filesystem::remove(log.Dir() + "Save2.dat");
    WriteBytes(log.Dir() + "Save4.dat", Bytes{kSaveLeadByte, 1, 2, 3});
    CArchiveManager m;
    EXPECT_EQ(m.GetSlotInfo(0).nChapter, 1);
    EXPECT_EQ(m.GetSlotInfo(2).nChapter, -1);
    EXPECT_EQ(m.GetSlotInfo(2).strSaveType, "");
    EXPECT_EQ(m.GetSlotInfo(4).nChapter, 5);
    std::filesystem::remove(log.Dir() + "Save0.dat");
    m.SyncWithFiles();
    EXPECT_EQ(m.GetSlotInfo(0).nChapter, -1);
    EXPECT_NE(log.All().find("File 3"), std::string::npos);
    EXPECT_NE(log.All().find("File 1"), std::string::npos);
}

// Every kind of save takes its header's chapter and difficulty from the party it
// holds; a save whose halves disagree is refused as damaged, one that agrees (or
// lacks a value on either side, as older saves may) loads.
TEST_F(ArchiveManagerTest, ASaveWhoseHeaderAndPartyDisagreeIsRefused) {
    struct Case {
        const char *what, *chapter, *difficulty, *nMap, *partyDifficulty;
        bool loads;
    };
    const Case cases[] = {
        {"agreeing", "4", "3", "4", "3", true},
        {"another chapter", "2", "3", "5", "3", false},
        {"another difficulty", "4", "1", "4", "3", false},
        {"no chapter in the party", "4", "3", nullptr, "3", true},
    };
    CArchiveManager m;
    for (const char* kind : {ChapterSave, IntermissionSave, FieldSave}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind) + ": " + c.what);
            m.ClearArchives();
            m.ClearCurrentArchive();
            CStringMap party;
            if (c.nMap) party.SetString("nMap", c.nMap);
            party.SetString("Difficulty", c.partyDifficulty);
            m.SetArchive(PartyDataKey, party);
            if (std::string(kind) != ChapterSave) m.SetArchive(FieldTaskInfoKey, Archive({{"m_nTurn", "1"}}));
            m.SetString(SaveFileChapterKey, c.chapter);
            m.SetString(SaveFileDiffKey, c.difficulty);
            m.SetString(SaveFileTypeKey, kind);
            ASSERT_TRUE(m.Save(1));
            EXPECT_EQ(m.Load(1), c.loads);
            EXPECT_EQ(m.HasArchive(PartyDataKey), c.loads);
            if (!c.loads) {
                EXPECT_EQ(LastMessage(), "不正なセーブファイルです。");
            }
        }
    }
}

// A child saves over and over while it is killed at random moments; every time,
// the slot still loads and the summary that the next start shows matches it.
TEST_F(ArchiveManagerTest, KilledWhileSavingKeepsALoadableSaveAndAMatchingSummary) {
    {
        CArchiveManager m;
        AssembleFieldSave(m, 0, 1, FieldSave, "0");
        ASSERT_TRUE(m.Save(1));
    }
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 300; ++trial) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CArchiveManager m;
            for (int n = 1;; ++n) {
                AssembleFieldSave(m, n % 1000, 1, FieldSave, std::to_string(n % 1000).c_str());
                m.Save(1);
            }
        }
        usleep(static_cast<useconds_t>(rng() % 4000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        CArchiveManager m;
        ASSERT_TRUE(m.Load(1)) << "trial " << trial;
        const std::string marker = m.GetArchive(PartyDataKey, false).GetString("nMap", "");
        EXPECT_EQ(std::to_string(m.GetSlotInfo(1).nChapter), marker) << "trial " << trial;
    }
}
namespace {

class IndexRebuildTest : public ::testing::Test {
protected:
    datatest::LogCapture log;
};

// A damaged index never hides a readable save: the summaries come from the save files,
// the log says so, and the next save writes a sound index again.
TEST_F(IndexRebuildTest, ACutShortIndexIsRebuiltFromTheSaveFiles) {
    {
        CArchiveManager m;
        AssembleFieldSave(m, 3, 4, FieldSave, "a");
        ASSERT_TRUE(m.Save(0));
        AssembleFieldSave(m, 7, 1, ChapterSave, "b");
        ASSERT_TRUE(m.Save(2));
    }
    Bytes index = FileBytes(log.Dir() + "SaveIndex.dat");
    index.resize(index.size() / 3);  // cut short
    WriteBytes(log.Dir() + "SaveIndex.dat", index);
    CArchiveManager m;
    EXPECT_EQ(m.GetSlotInfo(0).nChapter, 3);
    EXPECT_EQ(m.GetSlotInfo(0).strSaveType, FieldSave);
    EXPECT_EQ(m.GetSlotInfo(0).nDifficulty, 4);
    EXPECT_EQ(m.GetSlotInfo(2).nChapter, 7);
    EXPECT_EQ(m.GetSlotInfo(2).strSaveType, ChapterSave);
    EXPECT_EQ(m.GetSlotInfo(1).nChapter, -1);
    EXPECT_NE(log.All().find("SaveIndex.dat"), std::string::npos);
    EXPECT_NE(log.All().find("セーブファイルから読み直しました"), std::string::npos);
    // The next save writes the whole index again.
    AssembleFieldSave(m, 9, 2, ChapterSave, "c");
    ASSERT_TRUE(m.Save(5));
    const size_t lines = log.Lines().size();
    CArchiveManager after;
    EXPECT_EQ(log.Lines().size(), lines);  // read without a word
    EXPECT_EQ(after.GetSlotInfo(0).nChapter, 3);
    EXPECT_EQ(after.GetSlotInfo(2).nChapter, 7);
    EXPECT_EQ(after.GetSlotInfo(5).nChapter, 9);
}

TEST_F(IndexRebuildTest, AMissingIndexOrAnUnlistedSlotTakesItsSaveFile) {
    {
        CArchiveManager m;
        AssembleFieldSave(m, 4, 2, IntermissionSave, "a");
        ASSERT_TRUE(m.Save(3));
    }
    std::filesystem::remove(log.Dir() + "SaveIndex.dat");
    CArchiveManager m;
    EXPECT_EQ(m.GetSlotInfo(3).nChapter, 4);
    EXPECT_EQ(m.GetSlotInfo(3).strSaveType, IntermissionSave);
    // A damaged save file stays out of the list, and is named as the screen names it.
    WriteBytes(log.Dir() + "Save1.dat", Bytes{0x0A, 0x01, 0x02});
    CArchiveManager again;
    EXPECT_EQ(again.GetSlotInfo(1).nChapter, -1);
    EXPECT_NE(log.All().find("File 2 "), std::string::npos) << log.All();
}

TEST_F(IndexRebuildTest, TheLogNamesADamagedSaveAsTheScreenDoes) {
    WriteBytes(log.Dir() + "Save2.dat", Bytes{0x0A, 0x33, 0x44});
    CArchiveManager m;
    EXPECT_FALSE(m.Load(2));
    EXPECT_NE(log.All().find("File 3 (Save2.dat)"), std::string::npos) << log.All();
    // The size named is the file's own, lead byte and all (masked and older form).
    WriteBytes(log.Dir() + "Save2.dat", Bytes(5000, 0x11));
    EXPECT_FALSE(m.Load(2));
    EXPECT_NE(log.All().find("(5000 バイト)"), std::string::npos) << log.All();
    std::filesystem::remove(log.Dir() + "Save2.dat");
    WriteBytes(log.Dir() + "Sav2.dat", Bytes(4321, 0x11));
    EXPECT_FALSE(m.Load(2));
    EXPECT_NE(log.All().find("(4321 バイト)"), std::string::npos) << log.All();
}

}  // namespace

namespace {

// Saves holding a kind or a difficulty the game never writes load like any other (the
// title routes every kind and the party clamps the difficulty), through the load a
// title's slot choice makes.  A null value leaves the key out (older saves may lack it).
TEST_F(ArchiveManagerTest, AKindOrDifficultyTheGameNeverWritesLoads) {
    struct Case {
        const char *kind, *header, *party, *backup;
    };
    const Case cases[] = {
        {ChapterSave, "1", "1", "1"},          {IntermissionSave, "5", "5", "3"},
        {FieldSave, "3", "3", "3"},            {FieldSave, nullptr, nullptr, nullptr},
        {"Bogus", "3", "3", "3"},              {"", "3", "3", "3"},
        {"fieldsave", "3", "3", "3"},          {ChapterSave, "0", "0", "0"},
        {ChapterSave, "6", "6", "6"},          {FieldSave, "-1", nullptr, "2"},
        {FieldSave, "4294967298", nullptr, "2"}, {FieldSave, "hard", nullptr, "2"},
        {IntermissionSave, nullptr, "9", "2"}, {ChapterSave, "2", "2", "7"},
    };
    CArchiveManager m;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + (c.header ? c.header : "-") + " " + (c.party ? c.party : "-") + " " +
                     (c.backup ? c.backup : "-"));
        m.ClearArchives();
        m.ClearCurrentArchive();
        CStringMap party = Archive({{"nMap", "4"}});
        if (c.party) party.SetString("Difficulty", c.party);
        if (c.backup) party.SetString("BackupParty.Difficulty", c.backup);
        m.SetArchive(PartyDataKey, party);
        m.SetString(SaveFileChapterKey, "4");
        if (c.header) m.SetString(SaveFileDiffKey, c.header);
        m.SetString(SaveFileTypeKey, c.kind);
        ASSERT_TRUE(m.Save(2));
        const size_t boxes = MessageCount(), lines = log.Lines().size();
        EXPECT_TRUE(m.Load(2));
        EXPECT_TRUE(m.HasArchive(PartyDataKey));
        EXPECT_EQ(m.GetString(SaveFileTypeKey, false), c.kind);
        EXPECT_EQ(MessageCount(), boxes);
        EXPECT_EQ(log.Lines().size(), lines) << log.All();
    }
}

}  // namespace
