#pragma once
// The program's diagnostic channel: dated lines appended to "ErrorLog.txt" in the
// current folder.  Each line is "MM/DD/YY HH:MM:SS : " + text + CR LF.
#include <mutex>
#include <string>
#include <utility>

class CErrorLog {
public:
    // Constant-initialised, so the log works even for other globals' constructors.
    constexpr CErrorLog() = default;
    virtual ~CErrorLog();

    // Keeps the text as the last text and, in mode 1, appends one line.  Returns 0.
    int Write(std::string text);
    // printf-style formatting into at most 511 characters (longer texts are cut).
    int Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int WriteNumber(int value);
    // The title, then per 16 bytes a line of "%02x " columns (blank columns past the
    // end).  A size of 0 or below writes the title alone.
    int WriteDump(std::string title, const unsigned char* data, int size);
    // Any object's bytes, e.g. WriteDump("C_TaskCursol", this, sizeof(*this)).
    int WriteDump(std::string title, const void* data, int size) {
        return WriteDump(std::move(title), static_cast<const unsigned char*>(data), size);
    }

    int GetMode() const { return m_nMode; }
    void SetMode(int mode) { m_nMode = mode; }
    const std::string& GetLastText() const { return m_strLast; }

private:
    int m_nMode = 1;
    std::string m_strLast;
    std::mutex m_Mutex;  // the sound thread may log too
};

extern CErrorLog g_ErrorLog;
