// Whole-file loading: the loose file first, else the member of the folder's pack.
#include "File/gvlFilePack.h"

#include <algorithm>
#include <cstring>

#include "log/ErrorLog.h"
#include "paths.h"

namespace {

// Reads a pack's bytes in blocks so the directory walk does not issue one read per byte.
class PackSource {
public:
    PackSource(const unsigned char* data, size_t size) : m_pData(data), m_nSize(size) {}
    PackSource(const plat::File* file, size_t size) : m_pFile(file), m_nSize(size) {}

    size_t Size() const { return m_nSize; }

    // The byte at pos; false past the end.
    bool ByteAt(size_t pos, unsigned char& b) {
        if (pos >= m_nSize) return false;
        if (m_pData) {
            b = m_pData[pos];
            return true;
        }
        if (pos < m_nBlockStart || pos >= m_nBlockStart + m_vBlock.size()) {
            m_vBlock.resize(std::min<size_t>(kBlock, m_nSize - pos));
            size_t got = m_pFile->ReadAt(static_cast<int64_t>(pos), m_vBlock.data(), m_vBlock.size());
            m_vBlock.resize(got);
            m_nBlockStart = pos;
            if (got == 0) return false;
        }
        b = m_vBlock[pos - m_nBlockStart];
        return true;
    }

    bool U32At(size_t pos, uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            unsigned char b;
            if (!ByteAt(pos + static_cast<size_t>(i), b)) return false;
            v |= static_cast<uint32_t>(b) << (8 * i);
        }
        return true;
    }

private:
    static constexpr size_t kBlock = 4096;
    const unsigned char* m_pData = nullptr;
    const plat::File* m_pFile = nullptr;
    size_t m_nSize = 0;
    std::vector<unsigned char> m_vBlock;
    size_t m_nBlockStart = 0;
};

// Walks the directory from position 3.  False when it runs off the end of the pack
// before its closing 0.  Entries are not checked against the pack's size here.
bool ReadDirectory(PackSource& src, std::vector<PackEntry>& entries, std::string& error) {
    entries.clear();
    size_t pos = 3;
    unsigned char b = 0;
    if (!src.ByteAt(pos, b)) {
        error = "the directory is missing";
        return false;
    }
    ++pos;
    while (b != 0) {
        PackEntry e;
        e.name.push_back(static_cast<char>(b));
        for (;;) {
            if (!src.ByteAt(pos, b)) {
                error = "the directory runs off the end of the pack";
                return false;
            }
            ++pos;
            if (b == 0) break;
            e.name.push_back(static_cast<char>(b));
        }
        if (!src.U32At(pos, e.size) || !src.U32At(pos + 4, e.offset)) {
            error = "the directory runs off the end of the pack";
            return false;
        }
        pos += 8;
        entries.push_back(std::move(e));
        if (!src.ByteAt(pos, b)) {
            error = "the directory runs off the end of the pack";
            return false;
        }
        ++pos;
    }
    return true;
}

// Combines every byte with the pack key, eight bytes at a time.
void Unscramble(unsigned char* data, size_t size) {
    const uint64_t key8 = 0x0101010101010101ull * kPackKey;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t w;
        std::memcpy(&w, data + i, 8);
        w ^= key8;
        std::memcpy(data + i, &w, 8);
    }
    for (; i < size; ++i) data[i] ^= kPackKey;
}

bool EntryInside(const PackEntry& e, size_t packSize) {
    return static_cast<uint64_t>(e.offset) + e.size <= packSize;
}

}  // namespace

std::string CFilePack::FoldCase(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool CFilePack::ParseDirectory(const unsigned char* data, size_t size, std::vector<PackEntry>& entries,
                               std::string& error) {
    PackSource src(data, size);
    if (!ReadDirectory(src, entries, error)) return false;
    for (const PackEntry& e : entries) {
        if (!EntryInside(e, size)) {
            error = "member " + e.name + " lies beyond the end of the pack";
            return false;
        }
    }
    return true;
}

namespace {

// Where a file of the game's path form lies: loose, as a member of its folder's pack,
// nowhere, or in a pack that cannot be read (`error` says why).
struct FoundFile {
    enum Place { Loose, Member, Missing, BrokenPack } place = Missing;
    plat::File file;  // open on the loose file or on the pack
    std::string packPath;
    PackEntry member;
    std::string error;
};

FoundFile Find(const std::string& path) {
    FoundFile found;
    std::string full = plat::ToNativeSeparators(path);
    // A path without a drive or a leading "/" is taken from the current folder.
    if (full.find(':') == std::string::npos && (full.empty() || full[0] != '/')) full = plat::CurrentFolder() + full;
    size_t slash = full.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : full.substr(0, slash);
    std::string fileName = slash == std::string::npos ? full : full.substr(slash + 1);
    if (fileName.empty()) return found;
    if (found.file.Open(full, true, plat::kOpenExisting)) {
        found.place = FoundFile::Loose;
        return found;
    }

    found.packPath = folder + ".pck";
    if (folder.empty() || !found.file.Open(found.packPath, true, plat::kOpenExisting)) return found;
    found.place = FoundFile::BrokenPack;
    int64_t packSize = found.file.Size();
    if (packSize < 0) {
        found.error = "cannot read pack " + found.packPath;
        return found;
    }
    PackSource src(&found.file, static_cast<size_t>(packSize));
    std::vector<PackEntry> entries;
    std::string error;
    if (!ReadDirectory(src, entries, error)) {
        found.error = "broken pack " + found.packPath + ": " + error + " (" + path + ")";
        return found;
    }
    std::string wanted = CFilePack::FoldCase(fileName);
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const PackEntry& e) { return CFilePack::FoldCase(e.name) == wanted; });
    if (it == entries.end()) {
        found.place = FoundFile::Missing;
        return found;
    }
    if (!EntryInside(*it, src.Size())) {
        found.error = "broken pack " + found.packPath + ": member " + it->name + " lies beyond the end of the pack";
        return found;
    }
    found.place = FoundFile::Member;
    found.member = *it;
    return found;
}

}  // namespace

bool CFilePack::LoadFile(std::string path, std::vector<unsigned char>& out) {
    out.clear();
    FoundFile found = Find(path);
    switch (found.place) {
        case FoundFile::Missing:
            g_ErrorLog.Write("CFilePack::LoadFile: file not found: " + path);
            return false;
        case FoundFile::BrokenPack:
            g_ErrorLog.Write("CFilePack::LoadFile: " + found.error);
            return false;
        case FoundFile::Loose: {
            int64_t size = found.file.Size();
            if (size >= 0) {
                out.resize(static_cast<size_t>(size));
                if (found.file.ReadAt(0, out.data(), out.size()) == out.size()) return true;
            }
            break;
        }
        case FoundFile::Member:
            out.resize(found.member.size);
            if (found.file.ReadAt(found.member.offset, out.data(), out.size()) == out.size()) {
                Unscramble(out.data(), out.size());
                return true;
            }
            break;
    }
    out.clear();
    g_ErrorLog.Write("CFilePack::LoadFile: read failed: " + path);
    return false;
}

bool CFilePack::Has(const std::string& path) {
    const FoundFile::Place place = Find(path).place;
    return place == FoundFile::Loose || place == FoundFile::Member;
}

std::vector<unsigned char> LoadFileBytes(std::string fileName) {
    std::vector<unsigned char> bytes;
    CFilePack::LoadFile(std::move(fileName), bytes);
    return bytes;
}

// ---- COpenFile ------------------------------------------------------------------

bool COpenFile::Open(const char* fileName, bool read, DWORD creationDisposition) {
    Close();
    if (fileName == nullptr) return false;
    if (!m_File.Open(fileName, read, creationDisposition)) return false;
    m_strFileName = fileName;
    m_nLineCursor = 0;
    return true;
}

void COpenFile::Close() {
    m_File.Close();
    m_strFileName.clear();
}

int COpenFile::ReadWord(LONG offset) {
    unsigned char lo = 0, hi = 0;
    if (m_File.ReadAt(offset, &lo, 1) != 1) lo = 0;
    if (m_File.ReadAt(static_cast<int64_t>(offset) + 1, &hi, 1) != 1) hi = 0;
    return lo | (hi << 8);
}

int COpenFile::ReadLineChunk(char* buffer, int size) {
    if (!m_File.IsOpen()) return 3;
    int64_t fileSize = m_File.Size();
    if (m_nLineCursor < 0 || m_nLineCursor >= fileSize) return 1;
    if (size < 2) {
        if (size == 1 && buffer) buffer[0] = '\0';
        return 2;
    }
    // The rest of the line is read in blocks; a byte past the end reads as 0.
    unsigned char block[512];
    int64_t blockStart = -1;
    size_t blockLen = 0;
    auto byteAt = [&](int64_t pos) -> unsigned char {
        if (pos >= fileSize) return 0;
        if (blockStart < 0 || pos < blockStart || pos >= blockStart + static_cast<int64_t>(blockLen)) {
            blockStart = pos;
            blockLen = m_File.ReadAt(pos, block, sizeof block);
            if (blockLen == 0) return 0;
        }
        return block[pos - blockStart];
    };
    int copied = 0;
    while (m_nLineCursor < fileSize && !(byteAt(m_nLineCursor) == 0x0D && byteAt(m_nLineCursor + 1) == 0x0A)) {
        buffer[copied++] = static_cast<char>(byteAt(m_nLineCursor));
        ++m_nLineCursor;
        if (copied == size - 1) {
            buffer[copied] = '\0';
            return 2;
        }
    }
    buffer[copied] = '\0';
    m_nLineCursor += 2;
    return 0;
}

int COpenFile::ReadLine(std::string& line) {
    line.clear();
    char buffer[256];
    bool first = true;
    for (;;) {
        int rc = ReadLineChunk(buffer, sizeof buffer);
        if (rc == 3) return 3;
        if (rc == 1) return first ? 1 : 0;  // a line that filled the last chunk ends at the end of the file
        line += buffer;
        if (rc == 0) return 0;
        first = false;
    }
}

BOOL COpenFile::WriteAt(const void* data, DWORD count, LONG offset) {
    m_dwLastCount = 0;
    if (!m_File.IsOpen()) return 0;
    if (!m_File.WriteAt(offset, data, count)) return 0;
    m_dwLastCount = count;
    return 1;
}

DWORD COpenFile::GetSize(DWORD* high) {
    int64_t size = m_File.Size();
    if (size < 0) {
        if (high) *high = 0;
        return 0xFFFFFFFFu;
    }
    if (high) *high = static_cast<DWORD>(static_cast<uint64_t>(size) >> 32);
    return static_cast<DWORD>(size);
}
