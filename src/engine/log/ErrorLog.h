#pragma once
// The program's diagnostic channel: dated lines appended to "ErrorLog.txt".
#include <string>

class CErrorLog {
public:
    CErrorLog();
    virtual ~CErrorLog();

    int Write(std::string text);
    int Printf(const char* format, ...);
    int WriteNumber(int value);
    int WriteDump(std::string title, const unsigned char* data, int size);

    int GetMode() const { return m_nMode; }
    void SetMode(int mode) { m_nMode = mode; }
    const std::string& GetLastText() const { return m_strLast; }

private:
    int m_nMode = 1;
    std::string m_strLast;
};

extern CErrorLog g_ErrorLog;
