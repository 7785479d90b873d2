#pragma once
// Positioned file access on the game's path forms, and the local date and time
// texts of the error log.  Paths are resolved with plat::ResolvePath, so "\\" and
// "/" both separate and each component is matched without regard to letter case.
#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// How Open treats an existing or missing file (the classic numeric values).
enum : uint32_t {
    kCreateNew = 1,         // create; fails when the file exists
    kCreateAlways = 2,      // create or truncate
    kOpenExisting = 3,      // open; fails when the file is missing
    kOpenAlways = 4,        // open, creating it when missing
    kTruncateExisting = 5,  // open and truncate; fails when the file is missing
};

// One open file.  Not copyable; movable.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // Closes any open file first.  `read` opens for reading, else for writing.
    bool Open(const std::string& path, bool read, uint32_t disposition);
    // Closes the file; false when the close reported an error (or nothing was open).
    bool Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Size in bytes; -1 when no file is open or the size cannot be taken.
    int64_t Size() const;
    // Reads up to `count` bytes at `offset`; returns the number of bytes read
    // (0 past the end or on error).
    size_t ReadAt(int64_t offset, void* data, size_t count) const;
    // Writes all `count` bytes at `offset`; false on error.
    bool WriteAt(int64_t offset, const void* data, size_t count);
    // Writes at the current end of the file.
    bool Append(const void* data, size_t count);
    // Flushes the file's data to the disk; false on error.
    bool Sync();

private:
    int m_fd = -1;
};

// Moves `from` over `to` in one step (the old `to` is replaced whole); false on error.
bool ReplaceFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// Flushes the folder holding `path` (so that a rename in it reaches the disk).
bool SyncFolderOf(const std::string& path);
// Writes `bytes` to a new file `path`, flushed to the disk before it returns.
// 0 done; 1 cannot create; 2 write failed (disk full); 3 flush or close failed.  A
// file left behind by a failure is removed.
int WriteFileDurably(const std::string& path, const void* bytes, size_t count);

// The whole file at `path` into `out`; false (out empty) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out);

// The local date "MM/DD/YY" and time "HH:MM:SS" of now.  In headless mode they are
// "01/01/00" and the virtual clock's time, so replays log the same bytes; tests may
// fix both through SetFixedDateTime.
std::string LocalDateText();
std::string LocalTimeText();
void SetFixedDateTime(const std::string& date, const std::string& time);  // empty date: live clock again

}  // namespace plat
