// Settings file, data folder, single-instance guard and the graphics version probe.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "framework/gvlDXVersion.h"
#include "framework/gvlIniFile.h"
#include "framework/gvlMutex.h"
#include "golden.h"
#include "paths.h"
#include "system.h"

namespace {

std::string WriteIni(const testsupport::TempDir& dir, const std::string& text) {
    std::string path = dir.path() + "Zov.ini";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(IniFile, PrivateProfileRules) {
    testsupport::TempDir dir;
    std::string ini = WriteIni(dir,
                               "; settings\r\n"
                               "[other]\r\n"
                               "FPS=7\r\n"
                               "[ GENERAL ]\r\n"
                               "  windowmode = 1 \r\n"
                               "FPS=12abc\r\n"
                               "DefaultVolume=-20\r\n"
                               "Hex=0x1F\r\n"
                               "Word=abc\r\n"
                               "Empty=\r\n"
                               "Quoted=\"42\"\r\n");
    EXPECT_EQ(CIniFile::GetInt("general", "WindowMode", ini), 1u);
    EXPECT_EQ(CIniFile::GetInt("General", "fps", ini), 12u);
    EXPECT_EQ(static_cast<int>(CIniFile::GetInt("general", "DefaultVolume", ini)), -20);
    EXPECT_EQ(CIniFile::GetInt("general", "Hex", ini), 31u);
    EXPECT_EQ(CIniFile::GetInt("general", "Word", ini), 0u);
    EXPECT_EQ(CIniFile::GetInt("general", "Empty", ini), 10000u);
    EXPECT_EQ(CIniFile::GetInt("general", "Quoted", ini), 42u);
    EXPECT_EQ(CIniFile::GetInt("general", "Missing", ini), 10000u);
    EXPECT_EQ(CIniFile::GetInt("nosection", "FPS", ini), 10000u);
    EXPECT_EQ(CIniFile::GetInt("general", "FPS", dir.path() + "none.ini"), 10000u);
}

TEST(IniFile, LeadingByteOrderMarkIsSkipped) {
    testsupport::TempDir dir;
    std::string ini = WriteIni(dir, "\xEF\xBB\xBF[general]\nFPS=1\n");
    EXPECT_EQ(CIniFile::GetInt("general", "FPS", ini), 1u);
}

TEST(IniFile, FirstSectionAndKeyWin) {
    testsupport::TempDir dir;
    std::string ini = WriteIni(dir, "[general]\nA=1\nA=2\n[general]\nA=3\nB=4\n");
    EXPECT_EQ(CIniFile::GetInt("general", "A", ini), 1u);
    EXPECT_EQ(CIniFile::GetInt("general", "B", ini), 4u);
}

TEST(DataPath, ProgramFolderAndBuildOutputFolders) {
    EXPECT_EQ(GetDataPathFor("/opt/game/vormant", "Zov.ini"), "/opt/game/Zov.ini");
    EXPECT_EQ(GetDataPathFor("/opt/game/Release/vormant", "Zov.ini"), "/opt/game/Zov.ini");
    EXPECT_EQ(GetDataPathFor("/opt/game/debug/vormant", "Zov.ini"), "/opt/game/Zov.ini");
    EXPECT_EQ(GetDataPathFor("/opt/game/DEBUG/vormant", "Zov.ini"), "/opt/game/Zov.ini");
    // Only a last folder named exactly so is stepped out of.
    EXPECT_EQ(GetDataPathFor("/opt/Debugger/Game/vormant", "Zov.ini"), "/opt/Debugger/Game/Zov.ini");
    EXPECT_EQ(GetDataPathFor("/opt/Releases/vormant", "Zov.ini"), "/opt/Releases/Zov.ini");
    EXPECT_EQ(GetDataPathFor("/Release/Game/vormant", "Zov.ini"), "/Release/Game/Zov.ini");
    std::string real = GetDataPath("Zov.ini");
    EXPECT_EQ(real.substr(real.size() - 8), "/Zov.ini");
    EXPECT_EQ(real.substr(0, plat::ProgramFolder().size()), plat::ProgramFolder());
}

// A lock source whose answers the test chooses.
class FakeLocks : public INamedLockSource {
public:
    int next = 0;
    int closed = 0;
    std::string lastName;
    int Create(const std::string& name, void*& handle) override {
        lastName = name;
        handle = next == 0 ? this : nullptr;
        return next;
    }
    void Close(void*) override { ++closed; }
};

TEST(Mutex, ResultsOfOpen) {
    FakeLocks locks;
    {
        CMutex m(&locks);
        EXPECT_EQ(m.Open("__VORMANT__"), 0);
        EXPECT_EQ(locks.lastName, "__VORMANT__");
        EXPECT_TRUE(m.IsHeld());
        locks.next = 1;
        EXPECT_EQ(m.Open("__VORMANT__"), 1);  // the held one is released first
        EXPECT_EQ(locks.closed, 1);
        locks.next = 2;
        EXPECT_EQ(m.Open("x"), 2);
        locks.next = 5;  // any other outcome counts as created
        EXPECT_EQ(m.Open("x"), 0);
        locks.next = 0;
        EXPECT_EQ(m.Open("x"), 0);
    }
    EXPECT_EQ(locks.closed, 2);  // the destructor releases the held one
}

TEST(Mutex, SystemLocksRefuseASecondHolder) {
    plat::Shutdown();  // headless: the lock name carries the process id
    CMutex a, b;
    EXPECT_EQ(a.Open("__VORMANT_TEST__"), 0);
    EXPECT_EQ(b.Open("__VORMANT_TEST__"), 1);
    a.Unlock();
    EXPECT_EQ(b.Open("__VORMANT_TEST__"), 0);
}

// Version answers the test chooses.
class FakeVersions : public IDXVersionSource {
public:
    bool diagAvailable = false;
    bool haveMajor = true, haveMinor = true;
    uint32_t major = 0, minor = 0;
    std::string letter;
    bool haveFolder = true;
    std::map<std::string, uint64_t> files;

    bool OpenDiagnostics() override { return diagAvailable; }
    DiagResult ReadDiagnostics(uint32_t& ma, uint32_t& mi, std::string& le) override {
        DiagResult r;
        if (haveMajor) ma = major, r.haveMajor = true;
        if (haveMinor) mi = minor, r.haveMinor = true;
        if (!letter.empty()) le = letter, r.haveLetter = true;
        return r;
    }
    bool SystemFolder(std::string& folder) override {
        folder = "C:\\WINDOWS\\system32";
        return haveFolder;
    }
    bool FileVersion(const std::string& path, uint64_t& v) override {
        auto it = files.find(path);
        if (it == files.end()) return false;
        v = it->second;
        return true;
    }
};

class DXVersionTest : public ::testing::Test {
protected:
    void SetUp() override { SetDXVersionSource(&src); }
    void TearDown() override { SetDXVersionSource(nullptr); }
    void File(const char* name, uint64_t v) { src.files[std::string("C:\\WINDOWS\\system32") + name] = v; }
    void Probe(uint32_t& ma, uint32_t& mi, char& le) { ASSERT_EQ(GetDXVersion(&ma, &mi, &le), S_OK); }
    FakeVersions src;
};

TEST_F(DXVersionTest, DiagnosticsAnswerWithTheLetterLowered) {
    src.diagAvailable = true;
    src.major = 9;
    src.letter = "C";
    uint32_t ma = 1, mi = 1;
    char le = 'x';
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 9u);
    EXPECT_EQ(mi, 0u);
    EXPECT_EQ(le, 'c');
}

TEST_F(DXVersionTest, IncompleteDiagnosticsFallBackToFiles) {
    src.diagAvailable = true;
    src.major = 9;
    src.letter = "";  // no letter: the files decide
    File("\\d3d9.dll", MakeFileVersion(5, 3, 2600, 2180));
    uint32_t ma, mi;
    char le;
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 9u);
    EXPECT_EQ(mi, 0u);
    EXPECT_EQ(le, ' ');
}

TEST_F(DXVersionTest, NothingFoundIsZeroWithABlank) {
    uint32_t ma = 7, mi = 7;
    char le = 'z';
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 0u);
    EXPECT_EQ(mi, 0u);
    EXPECT_EQ(le, ' ');
    src.haveFolder = false;
    File("\\d3d9.dll", MakeFileVersion(5, 3, 0, 0));
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 0u);
}

TEST_F(DXVersionTest, FileTableRowsInOrderLastMatchWins) {
    struct Case {
        const char* file;
        uint64_t version;
        uint32_t major, minor;
        char letter;
    } cases[] = {
        {"\\ddraw.dll", MakeFileVersion(4, 2, 0, 95), 1, 0, ' '},
        {"\\ddraw.dll", MakeFileVersion(4, 3, 0, 1096), 2, 0, ' '},
        {"\\ddraw.dll", MakeFileVersion(4, 4, 0, 68), 3, 0, ' '},
        {"\\d3drg8x.dll", MakeFileVersion(4, 4, 0, 70), 3, 0, 'a'},
        {"\\ddraw.dll", MakeFileVersion(4, 5, 0, 155), 5, 0, ' '},
        {"\\ddraw.dll", MakeFileVersion(4, 6, 0, 318), 6, 0, ' '},
        {"\\ddraw.dll", MakeFileVersion(4, 6, 0, 436), 6, 1, ' '},
        {"\\dplayx.dll", MakeFileVersion(4, 6, 3, 518), 6, 1, 'a'},
        {"\\ddraw.dll", MakeFileVersion(4, 7, 0, 700), 7, 0, ' '},
        {"\\dinput.dll", MakeFileVersion(4, 7, 0, 716), 7, 0, 'a'},
        {"\\ddraw.dll", MakeFileVersion(4, 8, 0, 400), 8, 0, ' '},
        {"\\ddraw.dll", MakeFileVersion(5, 1, 2258, 400), 8, 0, ' '},
        {"\\d3d8.dll", MakeFileVersion(4, 8, 1, 881), 8, 1, ' '},
        {"\\d3d8.dll", MakeFileVersion(5, 1, 2600, 881), 8, 1, ' '},
        {"\\d3d8.dll", MakeFileVersion(4, 8, 1, 901), 8, 1, 'a'},
        {"\\d3d8.dll", MakeFileVersion(5, 1, 2600, 901), 8, 1, 'a'},
        {"\\mpg2splt.ax", MakeFileVersion(6, 3, 1, 885), 8, 1, 'b'},
        {"\\dpnet.dll", MakeFileVersion(4, 9, 0, 134), 8, 2, ' '},
        {"\\dpnet.dll", MakeFileVersion(5, 2, 3677, 134), 8, 2, ' '},
        {"\\d3d9.dll", MakeFileVersion(0, 0, 0, 1), 9, 0, ' '},
    };
    for (const Case& c : cases) {
        src.files.clear();
        File(c.file, c.version);
        uint32_t ma, mi;
        char le;
        Probe(ma, mi, le);
        EXPECT_EQ(ma, c.major) << c.file;
        EXPECT_EQ(mi, c.minor) << c.file;
        EXPECT_EQ(le, c.letter) << c.file;
    }
}

TEST_F(DXVersionTest, VersionsJustBelowARowDoNotMatch) {
    uint32_t ma, mi;
    char le;
    File("\\ddraw.dll", MakeFileVersion(5, 1, 2258, 399));  // below 8.0's 5.x bound
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 7u);  // 4.7.0.700 <= 5.1.2258.399
    EXPECT_EQ(mi, 0u);
    File("\\ddraw.dll", MakeFileVersion(4, 2, 0, 94));
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 0u);
    // A 6.x file does not match a row that names a 4.x and a 5.x bound.
    src.files.clear();
    File("\\d3d8.dll", MakeFileVersion(6, 0, 0, 0));
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 0u);
}

TEST_F(DXVersionTest, LaterRowsOverrideEarlierOnes) {
    File("\\ddraw.dll", MakeFileVersion(5, 1, 2258, 400));
    File("\\d3d8.dll", MakeFileVersion(5, 1, 2600, 901));
    uint32_t ma, mi;
    char le;
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 8u);
    EXPECT_EQ(mi, 1u);
    EXPECT_EQ(le, 'a');
    File("\\d3d9.dll", MakeFileVersion(5, 3, 0, 0));
    Probe(ma, mi, le);
    EXPECT_EQ(ma, 9u);
}

TEST(FileVersion, CompareAndArguments) {
    EXPECT_EQ(CompareFileVersion(MakeFileVersion(4, 8, 0, 400), MakeFileVersion(4, 8, 0, 400)), 0);
    EXPECT_EQ(CompareFileVersion(MakeFileVersion(4, 9, 0, 0), MakeFileVersion(4, 8, 65535, 65535)), 1);
    EXPECT_EQ(CompareFileVersion(MakeFileVersion(4, 8, 0, 1), MakeFileVersion(4, 8, 1, 0)), -1);
    EXPECT_EQ(CompareFileVersion(MakeFileVersion(0x8000, 0, 0, 0), MakeFileVersion(1, 0, 0, 0)), 1);  // unsigned
    uint64_t v;
    EXPECT_EQ(GetFileVersion(nullptr, &v), E_INVALIDARG);
    EXPECT_EQ(GetFileVersion("x", nullptr), E_INVALIDARG);
    EXPECT_EQ(GetFileVersion("C:\\none.dll", &v), E_FAIL);
}

TEST(DXVersion, ThePlatformReportsNineC) {
    uint32_t ma, mi;
    char le;
    ASSERT_EQ(GetDXVersion(&ma, &mi, &le), S_OK);
    EXPECT_EQ(ma, 9u);
    EXPECT_EQ(mi, 0u);
    EXPECT_EQ(le, 'c');
}

}  // namespace
