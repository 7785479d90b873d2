// The error log: dated lines appended to "ErrorLog.txt" in the current folder.
#include "log/ErrorLog.h"

#include <cstdarg>
#include <cstdio>

#include "File/gvlFilePack.h"
#include "fs/fs.h"

// Made before any other static object can log.  (Clang cannot build the log's
// mutex and strings at compile time; its builds serve the fuzzers only.)
#if defined(__clang__)
CErrorLog g_ErrorLog;
#else
constinit CErrorLog g_ErrorLog;
#endif

CErrorLog::~CErrorLog() = default;

int CErrorLog::Write(std::string text) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_strLast = text;
    if (m_nMode != 1) return 0;
    std::string line = plat::LocalDateText() + " " + plat::LocalTimeText() + " : ";
    line += text;
    line += "\r\n";
    // Appends at the current end; a file that cannot be opened loses the line.
    COpenFile file;
    if (file.Open("ErrorLog.txt", false, OPEN_ALWAYS)) {
        DWORD size = file.GetSize(nullptr);
        if (size != 0xFFFFFFFFu) file.WriteAt(line.data(), static_cast<DWORD>(line.size()), static_cast<LONG>(size));
    }
    return 0;
}

int CErrorLog::Printf(const char* format, ...) {
    char buffer[512];
    buffer[0] = '\0';
    if (format) {
        va_list ap;
        va_start(ap, format);
        // Cuts a longer text at 511 characters.
        std::vsnprintf(buffer, sizeof buffer, format, ap);
        va_end(ap);
    }
    return Write(buffer);
}

int CErrorLog::WriteNumber(int value) { return Printf("%d", value); }

int CErrorLog::WriteDump(std::string title, const unsigned char* data, int size) {
    std::string text = std::move(title);
    if (data != nullptr && size > 0) {
        int lines = (size - 1) / 16 + 1;
        text.reserve(text.size() + static_cast<size_t>(lines) * (2 + 16 * 3));
        static const char kHex[] = "0123456789abcdef";
        for (int l = 0; l < lines; ++l) {
            text += "\r\n";
            for (int c = 0; c < 16; ++c) {
                int i = l * 16 + c;
                if (i < size) {
                    text += kHex[data[i] >> 4];
                    text += kHex[data[i] & 15];
                    text += ' ';
                } else {
                    text += "   ";
                }
            }
        }
    }
    return Write(std::move(text));
}
