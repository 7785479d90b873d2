#pragma once
// Whole-file loading, loose or from the folder's pack file, and a thin file handle.
//
// Pack file ("<folder>.pck" beside the folder it stands for), little-endian:
//   0  3 bytes   header (skipped by the reader)
//   3  entries   name bytes, 0, u32 size, u32 offset ... ended by a 0 where a name would start
//   member data  at each entry's offset, every byte xor kPackKey
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fs/fs.h"

using DWORD = uint32_t;
using LONG = int32_t;
using BOOL = int;

// Creation dispositions of COpenFile::Open.
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr unsigned char kPackKey = 0xE7;

// One member of a pack's directory.
struct PackEntry {
    std::string name;  // file name without folder
    uint32_t size = 0;
    uint32_t offset = 0;
};

class CFilePack {
public:
    // Reads the whole file named by `path` (game form: "\\" or "/" separators,
    // relative to the current folder) into `out`.  A loose file is preferred; else
    // the member of the folder's ".pck".  Returns false (and logs the path) when
    // the file is not found anywhere or its pack is malformed; `out` is then empty.
    static bool LoadFile(std::string path, std::vector<unsigned char>& out);
    // The same with the arguments the other way round.
    static bool LoadFile(std::vector<unsigned char>& out, std::string path) { return LoadFile(std::move(path), out); }
    // Whether LoadFile would find the file (loose, or a member of a readable pack),
    // without reading it and without logging.
    static bool Has(const std::string& path);

    // Reads a pack's directory from its bytes (header skipped).  False, with
    // `error` set, when the directory runs off the end or a member lies beyond it.
    static bool ParseDirectory(const unsigned char* data, size_t size, std::vector<PackEntry>& entries,
                               std::string& error);
    // Lower-cases A to Z only (bytes 0x80 and above are left alone).
    static std::string FoldCase(const std::string& name);
};

// The whole file read through CFilePack::LoadFile (empty when missing).
std::vector<unsigned char> LoadFileBytes(std::string fileName);

// A thin owner of one open file: line reading and positioned writing.
class COpenFile {
public:
    COpenFile() = default;
    virtual ~COpenFile() = default;  // closes the file
    COpenFile(const COpenFile&) = delete;
    COpenFile& operator=(const COpenFile&) = delete;

    // Reads one whole line (without its CR LF): 0 line, 1 end of file, 3 no file.
    virtual int ReadLine(std::string& line);

    // Closes any open file, then opens `fileName` for reading or writing with the
    // given creation disposition.  On success the line cursor is 0.
    bool Open(const char* fileName, bool read, DWORD creationDisposition);
    void Close();
    bool IsOpen() const { return m_File.IsOpen(); }
    const std::string& GetFileName() const { return m_strFileName; }

    // 16-bit little-endian value at offset (a byte past the end reads as 0).
    int ReadWord(LONG offset);
    // Reads the line at the cursor as far as it fits: 0 complete, 1 end of file,
    // 2 buffer full (the next call continues the line), 3 no file.
    int ReadLineChunk(char* buffer, int size);
    // Writes count bytes at offset; nonzero on success.
    BOOL WriteAt(const void* data, DWORD count, LONG offset);
    // The file size (low 32 bits; the high part into *high when given).
    DWORD GetSize(DWORD* high);
    DWORD GetLastCount() const { return m_dwLastCount; }

private:
    plat::File m_File;
    std::string m_strFileName;
    DWORD m_dwLastCount = 0;
    int m_nLineCursor = -1;
};
