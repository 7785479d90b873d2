#pragma once
// Helpers for the game-data tests.  Literals in the tests are already code page 932
// (the sources are compiled for it); files read from content/ are UTF-8.  Both are
// given CR LF line ends like the game's data files, and split like the game does.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "golden.h"
#include "table/gvlTableFile.h"
#include "text.h"

namespace datatest {

// Text with LF line ends -> the same text with CR LF.
inline std::string GameText(const std::string& text) {
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

// A UTF-8 file of content/ -> code page 932 with CR LF, as the content build makes it.
inline std::string GameTextFromUtf8(const std::string& utf8) { return plat::Utf8ToCp932(GameText(utf8)); }

inline std::vector<unsigned char> GameBytes(const std::string& utf8) {
    std::string s = GameText(utf8);
    return std::vector<unsigned char>(s.begin(), s.end());
}

inline std::vector<std::vector<std::string>> Rows(const std::string& utf8) {
    std::string s = GameText(utf8);
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    return table.m_vRows;
}

inline CTableFile Table(const std::string& utf8) {
    std::string s = GameText(utf8);
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    return table;
}


inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Runs a test inside a fresh folder and reads back the error log written there.
class LogCapture {
public:
    LogCapture() : cwd_(dir_.path()) {}
    std::string Dir() const { return dir_.path(); }
    // The log's lines (code page 932, like the literals of the tests), without their
    // date prefix.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string text = ReadFile(dir_.path() + "ErrorLog.txt");
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            size_t sep = line.find(" : ");
            lines.push_back(sep == std::string::npos ? line : line.substr(sep + 3));
            start = end + 2;
        }
        return lines;
    }
    std::string All() const {
        std::string all;
        for (const std::string& l : Lines()) all += l + "\n";
        return all;
    }

private:
    testsupport::TempDir dir_;
    testsupport::ScopedCurrentDir cwd_;
};

// A small skill table covering every column the rules read.
inline const char* kSkillCsv =
    "skillID,name,type,path,power,effect,mp,range1,range2,region1,region2,back_atk,charge,target,critical,cannon,allatk,passive,attr,comment\n"
    "1,剣,0,0,10,0,0,1,1,0,0,0,0,0,5,0,0,0,0,斬る\n"
    "2,弓,1,1,8,0,0,2,3,0,0,1,0,0,5,0,0,0,0,射る\n"
    "3,火球,2,0,12,0,5,1,2,0,0,1,0,0,0,0,0,0,1,燃やす\n"
    "4,治癒,3,0,10,0,4,1,2,0,0,1,0,0,0,0,0,0,0,癒す\n"
    "5,隕石,2,0,30,0,0,1,9,1,1,1,2,0,0,1,0,0,0,大砲\n"
    "6,疾風,0,0,0,10,0,0,0,0,0,0,0,0,0,0,0,1,0,移動後も射程\n"
    "7,槍,0,0,11,0,0,1,2,0,0,1,0,0,3,0,0,0,0,突く\n"
    "8,再生,0,0,0,6,0,0,0,0,0,0,0,0,0,0,0,1,0,回復\n"
    "9,遠雷,2,0,14,0,30,1,5,0,0,1,0,0,0,0,0,0,0,高い\n"
    "10,薙ぎ払い,0,0,9,0,0,1,1,0,0,0,0,0,0,0,1,0,0,全体\n";

}  // namespace datatest
