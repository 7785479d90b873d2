#pragma once
// The save-file manager: the named record archives and the header archive of the
// save being written or just read, the six slot files "Save0.dat" to "Save5.dat"
// and the slot summaries kept in "SaveIndex.dat".
//
// Slot file: one lead byte 0x0A, then the save stream with byte k stored as
// stream[k] XOR ((256 - k mod 256) mod 256).  The stream is the header archive,
// an int count of named archives, then per archive its name (0-terminated) and the
// archive.  The older "Sav<n>.dat" holds the same stream unmasked without the lead
// byte and counts as format version 1.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "archive/gvlStringMap.h"

// Header keys, kinds of save and record names.
inline constexpr char SaveFileVersion[] = "SaveFileVersion";
inline constexpr char SaveFileTypeKey[] = "SaveFileTypeKey";
inline constexpr char SaveFileChapterKey[] = "SaveFileChapterKey";
inline constexpr char SaveFileDiffKey[] = "SaveFileDiffKey";
inline constexpr char ChapterSave[] = "ChapterSave";
inline constexpr char IntermissionSave[] = "IntermissionSave";
inline constexpr char FieldSave[] = "FieldSave";
inline constexpr char PartyDataKey[] = "PartyDataKey";
inline constexpr char FieldTaskInfoKey[] = "FieldTaskInfoKey";

constexpr int kSaveSlotCount = 6;
constexpr unsigned char kSaveLeadByte = 0x0A;

// The summary of one slot shown by the slot screen.
struct SaveSlotInfo {
    int nChapter = -1;          // the party's map number; -1 = empty slot
    std::string strSaveType;    // "ChapterSave", "IntermissionSave" or "FieldSave"
    int nDifficulty = 2;
};

struct NamedArchive {
    std::string name;
    CStringMap archive;
};

class CArchiveManager {
public:
    // Reads "SaveIndex.dat" of the current folder.
    CArchiveManager();
    virtual ~CArchiveManager() = default;

    // The single instance, created on the first call.
    static void CreateInstance();
    static CArchiveManager* GetInstance();  // CreateInstance first
    // Deletes the instance (program exit; tests start over with it).
    static void DestroyInstance();

    void ClearArchives();
    void ClearCurrentArchive();
    // Replaces the archive of that name in place, or appends a new entry.
    void SetArchive(std::string name, CStringMap archive);
    // A copy of the archive of that name (empty when none); `erase` removes it.
    CStringMap GetArchive(std::string name, bool erase);
    bool HasArchive(const std::string& name) const;
    const std::vector<NamedArchive>& GetArchives() const { return m_vArchive; }

    void SetString(std::string key, std::string value);
    // The header value ("" when missing or empty); `erase` removes the key after.
    std::string GetString(std::string key, bool erase);
    bool HasKey(std::string key);
    CStringMap& GetCurrentArchive() { return m_CurrentArchive; }

    // Writes the slot's file and, when that succeeded, its summary and the index.
    // The old file stays whole until the new one is complete; a failed write shows
    // "ファイルの書き込みに失敗しました。" and leaves the summary as it was.  The
    // archives are emptied either way.  Returns true when the slot file was written.
    bool Save(int slot);
    // Reads the slot's file into the archives.  A missing or unreadable file shows
    // "セーブファイルを開けませんでした。", a damaged one (also one whose header and
    // party disagree) "不正なセーブファイルです。";
    // the archives are then left empty and false is returned, so that the caller
    // stays where the load was asked for.
    bool Load(int slot);
    // The header's chapter and difficulty agree with the party record they were
    // written from (a value missing on either side is not compared); `why` says
    // where they differ.
    bool HeaderMatchesParty(std::string* why);

    // The stream of the archives as Save writes it (before masking).
    std::vector<unsigned char> BuildStream();
    // Reads a stream into the archives (emptied first) and sets "SaveFileVersion".
    // False when the stream is damaged; the archives are then emptied.
    bool ReadStream(const std::vector<unsigned char>& stream, int version);
    // The masked form of a stream and back.
    static std::vector<unsigned char> MaskStream(const std::vector<unsigned char>& stream);
    static std::vector<unsigned char> UnmaskFile(const std::vector<unsigned char>& file);
    static std::string SlotFileName(int slot);        // "Save<n>.dat"
    static std::string LegacySlotFileName(int slot);  // "Sav<n>.dat"

    // Reads the index, then takes the summary of every slot from its save file
    // (SyncWithFiles), and removes the temporary files of a save that was cut off.
    void LoadIndex();
    // The index as a summary of the files: a slot whose file can be read takes that
    // file's summary, a slot without a file is empty; a slot whose file cannot be read
    // keeps the index's summary.
    void SyncWithFiles();
    // The summary in the slot's save file: 1 read, 0 no save there, -1 unreadable.
    // `contents`, when given, gets a hash of the file's bytes.
    static int ReadSlotSummary(int slot, SaveSlotInfo& out, size_t* contents = nullptr);
    // The bytes of "SaveIndex.dat" for these six summaries.
    static std::vector<unsigned char> BuildIndexBytes(const SaveSlotInfo* slots);
    // Writes the six summaries; false (logged) when the file could not be written.
    bool SaveIndex();
    SaveSlotInfo GetSlotInfo(int slot);
    // The index file alone, the save files unread; false when it is missing or
    // damaged.
    bool ReadIndexFile();

private:
    std::vector<NamedArchive> m_vArchive;
    CStringMap m_CurrentArchive;
    SaveSlotInfo m_SlotInfo[kSaveSlotCount];
    // The hash of each slot's unreadable file that the log has named, so that the
    // slot screen names it once, not on every look, and again once it changes.
    std::optional<size_t> m_DamageLogged[kSaveSlotCount];
};
