#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "log/ErrorLog.h"

CErrorLog g_ErrorLog;

CErrorLog::CErrorLog() = default;
CErrorLog::~CErrorLog() = default;

int CErrorLog::Write(std::string text) {
    m_strLast = text;
    if (m_nMode != 1) return 0;
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%02d/%02d/%02d %02d:%02d:%02d : ", tm.tm_mon + 1, tm.tm_mday, tm.tm_year % 100,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    if (std::FILE* f = std::fopen("ErrorLog.txt", "ab")) {
        std::string line = prefix + text + "\r\n";
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
    return 0;
}

int CErrorLog::Printf(const char* format, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    return Write(buf);
}

int CErrorLog::WriteNumber(int value) { return Printf("%d", value); }

int CErrorLog::WriteDump(std::string title, const unsigned char* data, int size) {
    std::string text = title;
    if (size > 0) {
        int lines = (size - 1) / 16 + 1;
        for (int l = 0; l < lines; ++l) {
            text += "\r\n";
            for (int c = 0; c < 16; ++c) {
                int i = l * 16 + c;
                char cell[8];
                if (i < size) std::snprintf(cell, sizeof cell, "%02x ", data[i]);
                else std::snprintf(cell, sizeof cell, "   ");
                text += cell;
            }
        }
    }
    return Write(text);
}
