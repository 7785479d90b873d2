// Positioned file access over POSIX descriptors, and the log's date and time texts.
#include "fs/fs.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "paths.h"
#include "system.h"

namespace plat {

File::~File() { Close(); }

File::File(File&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool File::Open(const std::string& path, bool read, uint32_t disposition) {
    Close();
    int flags = read ? O_RDONLY : O_WRONLY;
    switch (disposition) {
        case kCreateNew: flags |= O_CREAT | O_EXCL; break;
        case kCreateAlways: flags |= O_CREAT | O_TRUNC; break;
        case kOpenExisting: break;
        case kOpenAlways: flags |= O_CREAT; break;
        case kTruncateExisting: flags |= O_TRUNC; break;
        default: return false;
    }
    // Truncating through a read-only descriptor is not allowed; the game never asks.
    if (read && (flags & O_TRUNC)) flags = (flags & ~O_RDONLY) | O_RDWR;
    std::string native = ResolvePath(path);
    int fd;
    do {
        fd = ::open(native.c_str(), flags | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool File::Close() {
    if (m_fd < 0) return false;
    int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0;
}

int64_t File::Size() const {
    if (m_fd < 0) return -1;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

size_t File::ReadAt(int64_t offset, void* data, size_t count) const {
    if (m_fd < 0 || offset < 0) return 0;
    size_t done = 0;
    auto* p = static_cast<unsigned char*>(data);
    while (done < count) {
        ssize_t n = ::pread(m_fd, p + done, count - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

bool File::WriteAt(int64_t offset, const void* data, size_t count) {
    if (m_fd < 0 || offset < 0) return false;
    size_t done = 0;
    auto* p = static_cast<const unsigned char*>(data);
    while (done < count) {
        ssize_t n = ::pwrite(m_fd, p + done, count - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool File::Append(const void* data, size_t count) {
    int64_t size = Size();
    if (size < 0) return false;
    return WriteAt(size, data, count);
}

bool File::Sync() {
    if (m_fd < 0) return false;
    while (::fsync(m_fd) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

bool SyncFolderOf(const std::string& path) {
    std::string folder = ResolvePath(path);
    const size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : folder.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int rc;
    while ((rc = ::fsync(fd)) != 0 && errno == EINTR) {
    }
    ::close(fd);
    return rc == 0;
}

int WriteFileDurably(const std::string& path, const void* bytes, size_t count) {
    File file;
    if (!file.Open(path, false, kCreateAlways)) return 1;
    int result = 0;
    if (!file.WriteAt(0, bytes, count))
        result = 2;
    else if (!file.Sync())
        result = 3;
    if (!file.Close() && result == 0) result = 3;
    if (result != 0) RemoveFile(path);
    return result;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    return ::rename(ResolvePath(from).c_str(), ResolvePath(to).c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(ResolvePath(path).c_str()) == 0; }

bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    File f;
    if (!f.Open(path, true, kOpenExisting)) return false;
    int64_t size = f.Size();
    if (size < 0) return false;
    out.resize(static_cast<size_t>(size));
    size_t got = f.ReadAt(0, out.data(), out.size());
    out.resize(got);
    return got == static_cast<size_t>(size);
}

namespace {
std::string g_fixedDate;
std::string g_fixedTime;

std::tm LocalNow() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}
}  // namespace

// Headless runs date their lines from the virtual clock, so that a replay writes
// the same log every time: day one at 00:00:00 plus the virtual time.
std::string LocalDateText() {
    if (!g_fixedDate.empty()) return g_fixedDate;
    if (IsHeadless()) return "01/01/00";
    std::tm tm = LocalNow();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", (tm.tm_mon + 1) % 100, tm.tm_mday % 100, tm.tm_year % 100);
    return buf;
}

std::string LocalTimeText() {
    if (!g_fixedDate.empty()) return g_fixedTime;
    if (IsHeadless()) {
        uint32_t seconds = TickCount() / 1000;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", (seconds / 3600) % 24, (seconds / 60) % 60, seconds % 60);
        return buf;
    }
    std::tm tm = LocalNow();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour % 100, tm.tm_min % 100, tm.tm_sec % 100);
    return buf;
}

void SetFixedDateTime(const std::string& date, const std::string& time) {
    g_fixedDate = date;
    g_fixedTime = time;
}

}  // namespace plat
