#include "save/ArchiveManager.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "archive/gvlSerialize.h"
#include "fs/fs.h"
#include "log/ErrorLog.h"
#include "paths.h"
#include "system.h"

namespace {

std::unique_ptr<CArchiveManager>& Instance() {
    static std::unique_ptr<CArchiveManager> s_Instance;
    return s_Instance;
}

constexpr char kIndexFileName[] = "SaveIndex.dat";

void ShowError(const char* text) { plat::MessageBox(text, "エラー", plat::kMbIconError); }

bool IsValidSlot(int slot) { return slot >= 0 && slot < kSaveSlotCount; }

}  // namespace

CArchiveManager::CArchiveManager() { LoadIndex(); }

void CArchiveManager::CreateInstance() {
    if (!Instance()) Instance() = std::make_unique<CArchiveManager>();
}

CArchiveManager* CArchiveManager::GetInstance() {
    CreateInstance();
    return Instance().get();
}

void CArchiveManager::DestroyInstance() { Instance().reset(); }

// ---- archives ------------------------------------------------------------------------------

void CArchiveManager::ClearArchives() { m_vArchive.clear(); }

void CArchiveManager::ClearCurrentArchive() { m_CurrentArchive.Clear(); }

void CArchiveManager::SetArchive(std::string name, CStringMap archive) {
    for (NamedArchive& entry : m_vArchive) {
        if (entry.name == name) {
            entry.archive = archive;
            return;
        }
    }
    m_vArchive.push_back(NamedArchive{std::move(name), std::move(archive)});
}

CStringMap CArchiveManager::GetArchive(std::string name, bool erase) {
    for (auto it = m_vArchive.begin(); it != m_vArchive.end(); ++it) {
        if (it->name != name) continue;
        CStringMap copy = it->archive;
        if (erase) m_vArchive.erase(it);
        return copy;
    }
    return CStringMap();
}

bool CArchiveManager::HasArchive(const std::string& name) const {
    for (const NamedArchive& entry : m_vArchive)
        if (entry.name == name) return true;
    return false;
}

void CArchiveManager::SetString(std::string key, std::string value) { m_CurrentArchive.SetString(key, value); }

std::string CArchiveManager::GetString(std::string key, bool erase) {
    std::string value = m_CurrentArchive.GetString(key, "");
    if (erase) m_CurrentArchive.EraseKey(key);
    return value;
}

bool CArchiveManager::HasKey(std::string key) { return m_CurrentArchive.GetMap().count(key) != 0; }

// ---- streams ------------------------------------------------------------------------------

std::string CArchiveManager::SlotFileName(int slot) { return "Save" + std::to_string(slot) + ".dat"; }

std::string CArchiveManager::LegacySlotFileName(int slot) { return "Sav" + std::to_string(slot) + ".dat"; }

std::vector<unsigned char> CArchiveManager::BuildStream() {
    CSerialize stream;
    stream.SetMode(true);
    stream.SerializeObject(m_CurrentArchive);
    int count = static_cast<int>(m_vArchive.size());
    stream.SerializeInt(count);
    for (NamedArchive& entry : m_vArchive) {
        stream.SerializeString(entry.name);
        stream.SerializeObject(entry.archive);
    }
    return stream.GetBuffer();
}

std::vector<unsigned char> CArchiveManager::MaskStream(const std::vector<unsigned char>& stream) {
    std::vector<unsigned char> file(stream.size() + 1);
    file[0] = kSaveLeadByte;
    for (size_t k = 0; k < stream.size(); ++k)
        file[k + 1] = static_cast<unsigned char>(stream[k] ^ static_cast<unsigned char>(256 - (k % 256)));
    return file;
}

std::vector<unsigned char> CArchiveManager::UnmaskFile(const std::vector<unsigned char>& file) {
    // The lead byte is skipped whatever its value.
    std::vector<unsigned char> stream(file.empty() ? 0 : file.size() - 1);
    for (size_t k = 0; k < stream.size(); ++k)
        stream[k] = static_cast<unsigned char>(file[k + 1] ^ static_cast<unsigned char>(256 - (k % 256)));
    return stream;
}

bool CArchiveManager::ReadStream(const std::vector<unsigned char>& bytes, int version) {
    ClearArchives();
    ClearCurrentArchive();
    CSerialize stream;
    stream.SetMode(false);
    stream.GetBuffer() = bytes;
    stream.SerializeObject(m_CurrentArchive);
    SetString(SaveFileVersion, std::to_string(version));
    int count = 0;
    stream.SerializeInt(count);
    // Each named archive takes at least its name's 0 and its own count.
    count = stream.CheckCount(count, 5);
    for (int i = 0; i < count && !stream.HasError(); ++i) {
        NamedArchive entry;
        stream.SerializeString(entry.name);
        stream.SerializeObject(entry.archive);
        m_vArchive.push_back(std::move(entry));
    }
    if (stream.HasError()) {
        ClearArchives();
        ClearCurrentArchive();
        return false;
    }
    return true;
}

// ---- slot files ---------------------------------------------------------------------------

bool CArchiveManager::Save(int slot) {
    SetString(SaveFileVersion, "10");
    bool written = false;
    if (!IsValidSlot(slot)) {
        g_ErrorLog.Printf("セーブスロット %d はありません。", slot);
    } else {
        // The slot file and the index are both written beside their targets and
        // flushed before either replaces anything, so a failure changes nothing the
        // player sees, and a crash leaves at worst an index one save behind, which
        // the next start rebuilds from the files.
        const std::vector<unsigned char> file = MaskStream(BuildStream());
        SaveSlotInfo summary;
        summary.nChapter = m_CurrentArchive.GetInt(SaveFileChapterKey, 0);
        summary.strSaveType = m_CurrentArchive.GetString(SaveFileTypeKey, "");
        summary.nDifficulty = m_CurrentArchive.GetInt(SaveFileDiffKey, 0);
        SaveSlotInfo slots[kSaveSlotCount];
        std::copy(std::begin(m_SlotInfo), std::end(m_SlotInfo), slots);
        slots[slot] = summary;
        const std::vector<unsigned char> index = BuildIndexBytes(slots);

        const std::string slotPath = plat::ResolvePath(SlotFileName(slot));
        const std::string indexPath = plat::ResolvePath(kIndexFileName);
        int result = plat::WriteFileDurably(slotPath + ".tmp", file.data(), file.size());
        if (result == 0) {
            result = plat::WriteFileDurably(indexPath + ".tmp", index.data(), index.size());
            if (result != 0) plat::RemoveFile(slotPath + ".tmp");
        }
        if (result == 0 && !plat::ReplaceFile(slotPath + ".tmp", slotPath)) {
            plat::RemoveFile(slotPath + ".tmp");
            plat::RemoveFile(indexPath + ".tmp");
            result = 1;
        }
        if (result != 0) {
            g_ErrorLog.Printf("File %d: %s を書き込めませんでした。(%d) 元のファイルはそのまま残っています。",
                              slot + 1, SlotFileName(slot).c_str(), result);
            ShowError("ファイルの書き込みに失敗しました。");
        } else {
            written = true;
            m_SlotInfo[slot] = summary;
            if (!plat::ReplaceFile(indexPath + ".tmp", indexPath)) {
                plat::RemoveFile(indexPath + ".tmp");
                g_ErrorLog.Printf("%s を書き換えられませんでした。次の起動時にセーブファイルから作り直します。",
                                  kIndexFileName);
            }
            plat::SyncFolderOf(slotPath);
        }
    }
    ClearArchives();
    ClearCurrentArchive();
    return written;
}

bool CArchiveManager::Load(int slot) {
    ClearArchives();
    ClearCurrentArchive();
    if (!IsValidSlot(slot)) {
        g_ErrorLog.Printf("セーブスロット %d はありません。", slot);
        ShowError("セーブファイルを開けませんでした。");
        return false;
    }
    std::vector<unsigned char> stream;
    int version = 0;
    std::string bytes;
    const bool opened = plat::ReadWholeFile(SlotFileName(slot), bytes);
    if (opened && !bytes.empty()) {
        stream = UnmaskFile(std::vector<unsigned char>(bytes.begin(), bytes.end()));
        version = 10;
    } else {
        // A file of zero bytes holds no stream at all: it counts as unreadable.
        if (opened) g_ErrorLog.Printf("%s は空です。", SlotFileName(slot).c_str());
        if (plat::ReadWholeFile(LegacySlotFileName(slot), bytes)) {
            stream.assign(bytes.begin(), bytes.end());
            version = 1;
        } else {
            g_ErrorLog.Printf("File %d: %s も %s も読めませんでした。", slot + 1, SlotFileName(slot).c_str(),
                              LegacySlotFileName(slot).c_str());
            ShowError("セーブファイルを開けませんでした。");
            return false;
        }
    }
    if (!ReadStream(stream, version)) {
        g_ErrorLog.Printf("File %d (%s) のセーブファイルが壊れています。(%zu バイト)", slot + 1,
                          (version == 1 ? LegacySlotFileName(slot) : SlotFileName(slot)).c_str(), bytes.size());
        ShowError("不正なセーブファイルです。");
        return false;
    }
    // Every save the game writes takes its header from the party it holds: a save whose
    // two halves disagree would show one chapter in the slot window and play another.
    // Any other value is left to the readers: the title continues an "IntermissionSave"
    // or a "FieldSave" on the field and starts the saved chapter's story for every
    // other kind, and the party holds a difficulty outside 1 to 5 at the nearest end.
    std::string why;
    if (!HeaderMatchesParty(&why)) {
        g_ErrorLog.Printf("File %d のセーブファイルの見出しと中身が合いません: %s", slot + 1, why.c_str());
        ClearArchives();
        ClearCurrentArchive();
        ShowError("不正なセーブファイルです。");
        return false;
    }
    return true;
}

bool CArchiveManager::HeaderMatchesParty(std::string* why) {
    auto it = std::find_if(m_vArchive.begin(), m_vArchive.end(),
                           [](const NamedArchive& a) { return a.name == PartyDataKey; });
    if (it == m_vArchive.end()) return true;
    CStringMap& party = it->archive;
    // Header key and the party's member it is written from.
    const std::pair<const char*, const char*> pairs[] = {{SaveFileChapterKey, "nMap"},
                                                         {SaveFileDiffKey, "Difficulty"}};
    for (const auto& [headerKey, partyKey] : pairs) {
        int64_t header = 0, body = 0;
        // A value missing on either side (older saves) or not a number is left to the
        // readers of each half.
        if (m_CurrentArchive.FindInt(headerKey, header) != 0 || party.FindInt(partyKey, body) != 0) continue;
        if (header != body) {
            if (why)
                *why = std::string(headerKey) + " " + std::to_string(header) + " / " + partyKey + " " +
                       std::to_string(body);
            return false;
        }
    }
    return true;
}

// ---- index --------------------------------------------------------------------------------

void CArchiveManager::LoadIndex() {
    // Temporary files of a save that was cut off are the unfinished half of it.
    for (int slot = 0; slot < kSaveSlotCount; ++slot) plat::RemoveFile(SlotFileName(slot) + ".tmp");
    plat::RemoveFile(std::string(kIndexFileName) + ".tmp");
    ReadIndexFile();
    SyncWithFiles();
}

void CArchiveManager::SyncWithFiles() {
    // The save files themselves win over the index: a summary is taken again from
    // every file whose header can be read, so no readable save is ever hidden, and a
    // slot whose file is not there is empty, so no save is shown that cannot be
    // loaded.
    bool mended = false;
    for (int slot = 0; slot < kSaveSlotCount; ++slot) {
        SaveSlotInfo fromFile;
        size_t contents = 0;
        const int state = ReadSlotSummary(slot, fromFile, &contents);
        if (state < 0) {
            if (m_DamageLogged[slot] != contents)
                g_ErrorLog.Printf("File %d のセーブファイルは壊れているため、セーブファイルからは読み直せません。",
                                  slot + 1);
            m_DamageLogged[slot] = contents;
            continue;  // a file that cannot be read: the index's word stands
        }
        m_DamageLogged[slot].reset();
        SaveSlotInfo& info = m_SlotInfo[slot];
        if (state == 0 && info.nChapter != -1)
            g_ErrorLog.Printf("File %d のセーブファイルがないため、空きスロットとして扱います。", slot + 1);
        if (info.nChapter != fromFile.nChapter || info.strSaveType != fromFile.strSaveType ||
            info.nDifficulty != fromFile.nDifficulty) {
            info = fromFile;
            mended = true;
        }
    }
    if (mended)
        g_ErrorLog.Printf("%s の内容をセーブファイルから読み直しました。", kIndexFileName);
}

int CArchiveManager::ReadSlotSummary(int slot, SaveSlotInfo& out, size_t* contents) {
    out = SaveSlotInfo();
    std::string bytes;
    std::vector<unsigned char> stream;
    if (plat::ReadWholeFile(SlotFileName(slot), bytes) && !bytes.empty()) {
        stream = UnmaskFile(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    } else if (plat::ReadWholeFile(LegacySlotFileName(slot), bytes) && !bytes.empty()) {
        stream.assign(bytes.begin(), bytes.end());
    } else {
        return 0;  // no save in this slot
    }
    if (contents) *contents = std::hash<std::string>{}(bytes);
    CSerialize reader;
    reader.SetMode(false);
    reader.GetBuffer() = std::move(stream);
    CStringMap header;
    reader.SerializeObject(header);
    if (reader.HasError() || !header.GetMap().count(SaveFileTypeKey)) return -1;
    out.nChapter = header.GetInt(SaveFileChapterKey, 0);
    out.strSaveType = header.GetString(SaveFileTypeKey, "");
    out.nDifficulty = header.GetInt(SaveFileDiffKey, 0);
    return 1;
}

bool CArchiveManager::ReadIndexFile() {
    for (SaveSlotInfo& info : m_SlotInfo) info = SaveSlotInfo();
    CSerialize stream;
    stream.Clear();
    stream.SetMode(false);
    if (stream.LoadFromFile(kIndexFileName) != 0) return false;
    int count = 0;
    stream.SerializeInt(count);
    if (count < 0) {
        g_ErrorLog.Printf("%s の件数 %d が不正です。", kIndexFileName, count);
        return false;
    }
    // A count the file cannot hold is cut to what fits (the shorter, older entry:
    // int slot, int chapter, an empty text); the entries missing keep their presets.
    const int fits = static_cast<int>(std::min<size_t>(stream.Remaining() / 9, 1000000));
    if (count > fits) {
        g_ErrorLog.Printf("%s の件数 %d は中身より多いため、読める分だけを使います。", kIndexFileName, count);
        count = fits;
    }
    for (int i = 0; i < count; ++i) {
        int mark = 0, slot = 0, chapter = 0, difficulty = 2;
        std::string type;
        stream.SerializeInt(mark);
        if (mark == -1) {
            stream.SerializeInt(slot);
            stream.SerializeInt(chapter);
            stream.SerializeInt(difficulty);
        } else {
            slot = mark;
            stream.SerializeInt(chapter);
        }
        stream.SerializeString(type);
        if (stream.HasError()) break;
        if (!IsValidSlot(slot)) {
            g_ErrorLog.Printf("%s の %d 件目のスロット番号 %d は範囲外です。", kIndexFileName, i, slot);
            continue;
        }
        m_SlotInfo[slot].nChapter = chapter;
        m_SlotInfo[slot].strSaveType = type;
        m_SlotInfo[slot].nDifficulty = difficulty;
    }
    if (stream.HasError()) {
        g_ErrorLog.Printf("%s が途中で終わっています。読めた分だけを使います。", kIndexFileName);
        return false;
    }
    return true;
}

std::vector<unsigned char> CArchiveManager::BuildIndexBytes(const SaveSlotInfo* slots) {
    CSerialize stream;
    stream.SetMode(true);
    int count = kSaveSlotCount;
    stream.SerializeInt(count);
    for (int i = 0; i < kSaveSlotCount; ++i) {
        int mark = -1, slot = i;
        SaveSlotInfo info = slots[i];
        stream.SerializeInt(mark);
        stream.SerializeInt(slot);
        stream.SerializeInt(info.nChapter);
        stream.SerializeInt(info.nDifficulty);
        stream.SerializeString(info.strSaveType);
    }
    return stream.GetBuffer();
}

bool CArchiveManager::SaveIndex() {
    CSerialize stream;
    stream.GetBuffer() = BuildIndexBytes(m_SlotInfo);
    const int result = stream.SaveToFile(kIndexFileName);
    if (result != 0) g_ErrorLog.Printf("%s を書き込めませんでした。(%d)", kIndexFileName, result);
    return result == 0;
}

SaveSlotInfo CArchiveManager::GetSlotInfo(int slot) {
    if (!IsValidSlot(slot)) {
        g_ErrorLog.Printf("セーブスロット %d はありません。", slot);
        return SaveSlotInfo();
    }
    return m_SlotInfo[slot];
}
