// The script object: its keyword tables, construction and destruction, and the
// loading and parsing of script files.
#include "ScenarioScript.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>

#include "File/gvlFilePack.h"
#include "ScriptDifficultyMenu.h"
#include "log/ErrorLog.h"

namespace {

struct KeywordEntry {
    const char* name;
    int32_t id;
};

const KeywordEntry kTriggers[] = {
    {"Main", 1},          {"FieldInitialize", 2}, {"PhaseStart", 3},    {"FirstFight", 4}, {"PersonSuffered", 5},
    {"ForceSuffered", 6}, {"ForceSufferedAt", 7}, {"UnitPosition", 8},  {"Flag", 9},       {"Value", 10},
    {"Won", 11},          {"Lost", 12},           {"IMTutorial", 13},   {"Detected", 14},
};

const KeywordEntry kCommands[] = {
    {"Message", 1},
    {"MessageErase", 2},
    {"M_Erase", 2},
    {"Serif", 3},
    {"S_Erase", 4},
    {"Place", 5},
    {"P_Erase", 6},
    {"StrMapOn", 7},
    {"StrMapOff", 8},
    {"StrategyMap", 9},
    {"StrMapBaseLoad", 10},
    {"StrMapMove", 12},
    {"MakeStrMapForcesField", 13},
    {"StrMapForcesFieldAlpha", 14},
    {"DeleteStrMapForcesField", 15},
    {"BGM", 16},
    {"Sound", 17},
    {"GameOver", 18},
    {"GameEnd", 19},
    {"Flag", 20},
    {"NextStage", 21},
    {"BackGround", 22},
    {"Wait", 25},
    {"FadeIn", 26},
    {"FadeOut", 27},
    {"ChapterTitleTerop", 28},
    {"SetPicture", 29},
    {"MovePicture", 30},
    {"ErasePicture", 31},
    {"SetMarker", 32},
    {"MoveMarker", 33},
    {"EraseMarker", 34},
    {"SelectDifficulty", 35},
    {"ToBeContinued", 36},
    {"AddHero", 37},
    {"PlusMoney", 38},
    {"HeroForcedPosition", 39},
    {"HeroForcedPosReset", 40},
    {"CursolMove", 41},
    {"Win", 42},
    {"Lose", 43},
    {"SysBGMSet", 44},
    {"CreateUnit", 45},
    {"SetForces", 46},
    {"BlackScreen", 47},
    {"OperationMessage", 49},
    {"MissionName", 50},
    {"Appear", 51},
    {"AddStartPoint", 52},
    {"ChangeHero", 53},
    {"SetLocateCost", 54},
    {"SetValue", 55},
    {"GeoChange", 56},
    {"SetMaxHero", 57},
    {"SetMinHero", 58},
    {"TroopCanUse", 59},
    {"AddTargetPos", 60},
    {"DeleteUnit", 61},
    {"InterMission", 62},
    {"MapViewMove", 63},
    {"MapViewToUnit", 64},
    {"MissionArgue", 65},
    {"BannedHero", 66},
    {"StartTutorial", 67},
    {"EndTutorial", 68},
    {"TutorialSetInput", 69},
    {"TutorialCallCursol", 70},
    {"TutorialSetCharge", 71},
    {"TutorialWait", 72},
    {"M_SubAppear", 73},
    {"RVTLogo", 74},
    {"Visual", 0},
    {"MakeBastUpMarker", 0},
    {"MoveBastUpMarker", 0},
    {"EraseBastUpMarker", 0},
    {"MissionCompleteLogo", 0},
    {"MissionFailedLogo", 0},
};

static_assert(sizeof(kTriggers) / sizeof(kTriggers[0]) == 14, "trigger table");
static_assert(sizeof(kCommands) / sizeof(kCommands[0]) == 77, "command table");

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

C_ScenarioScript::C_ScenarioScript() {
    // Not only the level: the fade the last script left running (the opening ends on
    // a fade-out) would otherwise darken this one again before its own fade-in.
    g_GlobalResources.ResetFade();
    m_DimSquare.SetSize(640.0f, 480.0f, 0x95000000, 0.0f);
    m_nViewFrame = 30;
    m_bViewMoving = false;
    m_nBackgroundFade = 0;
    m_ToBeContinued.Load("./graphics/ToBeContinued.png");
    m_VisualBackGround.Load("./graphics/VisualBackGround.png");
    m_nBackground = -1;
    m_nPrevBackground = -1;
    g_GlobalResources.ResetEventWindows();
    for (const KeywordEntry& e : kTriggers) m_mapTrigger.insert({e.name, e.id});
    for (const KeywordEntry& e : kCommands) m_mapCommand.insert({e.name, e.id});
}

C_ScenarioScript::~C_ScenarioScript() {
    // What the script put on the screen does not outlive it: its captions and windows,
    // and what it put on the strategy map.
    g_GlobalResources.ResetEventWindows();
    g_GlobalResources.ClearMarkers();
    g_GlobalResources.ClearForcesFieldMap();
    for (auto& entry : m_mapBackground) delete entry.second;
    m_mapBackground.clear();
    // A menu still open when the owner goes away (the owner ended mid-choice).
    delete m_pDifficultyMenu;
    m_pDifficultyMenu = nullptr;
}

int C_ScenarioScript::LookupTrigger(const std::string& name) const {
    auto it = m_mapTrigger.find(name);
    return it == m_mapTrigger.end() ? -1 : it->second;
}

int C_ScenarioScript::LookupCommand(const std::string& name) const {
    auto it = m_mapCommand.find(name);
    return it == m_mapCommand.end() ? -1 : it->second;
}

const ScriptCommand* C_ScenarioScript::GetCurrentCommand() const {
    if (m_nSectionCursor < 0 || m_nSectionCursor >= int(m_vSections.size())) return nullptr;
    const ScriptSection& s = m_vSections[m_nSectionCursor];
    if (m_nCommandCursor < 0 || m_nCommandCursor >= int(s.vCommands.size())) return nullptr;
    return &s.vCommands[m_nCommandCursor];
}

// ---- loading ---------------------------------------------------------------------------

std::string C_ScenarioScript::ChapterFileName(int chapter) {
    std::string name = "chapter";
    if (chapter < 10) name += "0";
    name += std::to_string(chapter);
    name += ".txt";
    return name;
}

void C_ScenarioScript::LoadChapter(int chapter) { LoadScript(ChapterFileName(chapter)); }

void C_ScenarioScript::LoadScript(std::string fileName) {
    const std::string path = "./script/" + fileName;
    std::vector<unsigned char> bytes = LoadFileBytes(path);
    if (bytes.empty()) {
        g_ErrorLog.Printf("スクリプト %s を読み込めません (ファイルがないか空です)", path.c_str());
        return;
    }
    // A NUL byte inside the file ends the text there.
    size_t n = 0;
    while (n < bytes.size() && bytes[n] != 0) ++n;
    const std::string text(reinterpret_cast<const char*>(bytes.data()), n);
    // Every field event reads the chapter again: what is wrong with a file is said the
    // first time it is read, and again only once its contents have changed.
    static std::set<std::pair<std::string, size_t>> read;
    const bool firstRead = read.insert({path, std::hash<std::string>{}(text)}).second;
    const int errorsBefore = m_nParseErrors;
    m_bQuietParse = !firstRead;
    Parse(text, path);
    m_bQuietParse = false;
    // A file that holds no section at all is not a script.
    if (m_vSections.empty() && firstRead) {
        size_t control = 0;
        for (unsigned char c : bytes)
            if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') ++control;
        g_ErrorLog.Printf("スクリプト %s には Script セクションが一つもありません (%d バイト, 制御文字 %d 個, 構文の誤り %d 件)。何も実行しません。",
                          path.c_str(), int(bytes.size()), int(control), m_nParseErrors - errorsBefore);
    }
}

void C_ScenarioScript::ParseError(const std::string& file, int line, const std::string& what) {
    ++m_nParseErrors;
    if (!m_bQuietParse) g_ErrorLog.Printf("%s(%d): %s", file.c_str(), line, what.c_str());
}

// The text is worked on together with a table of the original line number of every
// byte, so that error lines name the line of the file even after comments went.
void C_ScenarioScript::Parse(std::string text, const std::string& fileName) {
    std::string& T = text;
    std::vector<int> lineOf(T.size() + 1);
    {
        int line = 1;
        for (size_t i = 0; i < T.size(); ++i) {
            lineOf[i] = line;
            if (T[i] == '\n') ++line;
        }
        lineOf[T.size()] = line;
    }
    auto erase = [&](size_t from, size_t to) {  // [from, to)
        T.erase(from, to - from);
        lineOf.erase(lineOf.begin() + from, lineOf.begin() + to);
    };
    auto lineAt = [&](size_t pos) { return lineOf[pos < lineOf.size() ? pos : lineOf.size() - 1]; };

    // Block comments first, then line comments.
    for (;;) {
        size_t open = T.find("/#");
        if (open == std::string::npos) break;
        size_t close = T.find("#/", open);
        erase(open, close == std::string::npos ? T.size() : close + 2);
    }
    // A line comment ends at its line break, which stays: the next line is its own.
    for (;;) {
        size_t open = T.find("##");
        if (open == std::string::npos) break;
        size_t eol = T.find_first_of("\r\n", open);
        erase(open, eol == std::string::npos ? T.size() : eol);
    }
    if (T.empty()) return;

    const size_t N = T.size();
    auto skipBlanks = [&](size_t a) {
        while (a < N && IsBlank(T[a])) ++a;
        return a;
    };
    auto skipBlanksAndBreaks = [&](size_t a) {
        while (a < N && (IsBlank(T[a]) || T[a] == '\r' || T[a] == '\n')) ++a;
        return a;
    };
    auto tokenEnd = [&](size_t a) {
        while (a < N && !IsBlank(T[a]) && T[a] != ',' && T[a] != ')') ++a;
        return a;
    };
    // A name: the bytes from `from` to `to` without blanks.  False when the name
    // reaches over a line break (its "(" is missing on its line).
    auto nameOf = [&](size_t from, size_t to, std::string& name) {
        name.clear();
        for (size_t i = from; i < to; ++i) {
            if (T[i] == '\r' || T[i] == '\n') return false;
            if (!IsBlank(T[i])) name += T[i];
        }
        return true;
    };
    // The first "end" at or after `from` that stands where a command name could
    // start: only blanks before it on its line, or a ")" (a header without commands).
    auto findSectionEnd = [&](size_t from) {
        for (size_t e = T.find("end", from); e != std::string::npos; e = T.find("end", e + 1)) {
            size_t b = e;
            while (b > from && IsBlank(T[b - 1])) --b;
            if (b == from || T[b - 1] == '\n' || T[b - 1] == ')') return e;
        }
        return std::string::npos;
    };
    auto nextLine = [&](size_t a) {
        size_t lf = T.find('\n', a);
        return lf == std::string::npos ? N : lf + 1;
    };

    size_t p = 0;
    for (;;) {
        size_t s = T.find("Script", p);
        if (s == std::string::npos) break;
        const int sectionLine = lineAt(s);
        size_t q = skipBlanks(s + 6);
        size_t paren = T.find('(', q);
        std::string trigger;
        bool nameOk = paren != std::string::npos && nameOf(q, paren, trigger);
        int triggerId = nameOk ? LookupTrigger(trigger) : -1;
        if (!nameOk || triggerId < 0) {
            if (!nameOk)
                ParseError(fileName, sectionLine, "セクションの \"(\" がありません");
            else
                ParseError(fileName, sectionLine, "不明なトリガー名 \"" + trigger + "\"");
            // Skip the whole section: on after its "end", or after its line.
            size_t e = findSectionEnd(q);
            p = e == std::string::npos ? nextLine(q) : e + 3;
            if (p >= N) break;
            continue;
        }

        ScriptSection section;
        section.nTriggerID = triggerId;
        section.strFile = fileName;
        section.nLine = sectionLine;

        // Header arguments.
        size_t a = skipBlanks(paren + 1);
        size_t close = T.find(')', a);
        if (close == std::string::npos) close = N;
        for (;;) {
            a = skipBlanks(a);
            if (a >= close) break;
            size_t t = tokenEnd(a);
            section.vTriggerArgs.push_back(std::atoi(T.substr(a, t - a).c_str()));
            a = skipBlanks(t);
            if (a >= close) break;
            ++a;  // the separator, taken unseen
        }

        // The section ends at an "end" standing where a command name could start
        // (never inside a quoted argument or a text line).
        p = std::min(a + 1, N);
        if (findSectionEnd(p) == std::string::npos) {
            ParseError(fileName, sectionLine, "セクション \"" + trigger + "\" に end がありません");
            // The commands cannot be told from what follows; they are skipped.
            m_vSections.push_back(std::move(section));
            if (p >= N) break;
            continue;
        }

        bool sectionDone = false;
        while (!sectionDone) {
            p = skipBlanksAndBreaks(p);
            if (p >= N || T.compare(p, 6, "Script") == 0) {
                // Another section begins (or the text ends) before this one's "end".
                ParseError(fileName, sectionLine, "セクション \"" + trigger + "\" に end がありません");
                break;
            }
            if (T.compare(p, 3, "end") == 0) {
                p += 3;
                break;
            }
            const int commandLine = lineAt(p);
            size_t cparen = T.find('(', p);
            std::string name;
            bool cnameOk = cparen != std::string::npos && nameOf(p, cparen, name);
            int commandId = cnameOk ? LookupCommand(name) : -1;
            if (!cnameOk || commandId < 0) {
                if (!cnameOk) {
                    std::string shown;
                    nameOf(p, std::min(T.find_first_of("\r\n", p), N), shown);
                    ParseError(fileName, commandLine, "コマンド \"" + shown + "\" の \"(\" がありません");
                } else {
                    ParseError(fileName, commandLine, "不明なコマンド名 \"" + name + "\"");
                }
                // Skip the line (and a text block that follows it).
                p = nextLine(p);
                size_t b = skipBlanks(p);
                if (b + 2 < N + 1 && T.compare(b, 3, "/\r\n") == 0) {
                    size_t c = T.find("/\r\n", b + 3);
                    size_t after = c == std::string::npos ? N : c + 3;
                    // The block's own closing line ends it.
                    size_t scan = b + 3;
                    while (scan < after) {
                        size_t ls = skipBlanks(scan);
                        if (ls < N && T[ls] == '/') {
                            after = nextLine(ls);
                            break;
                        }
                        scan = nextLine(scan);
                    }
                    p = after;
                }
                continue;
            }

            ScriptCommand command;
            command.nCommandID = commandId;
            command.nLine = commandLine;
            bool badQuote = false;
            a = skipBlanks(cparen + 1);
            size_t cclose = T.find(')', a);
            if (cclose == std::string::npos) cclose = N;
            for (;;) {
                a = skipBlanks(a);
                if (a >= cclose) break;
                size_t t = tokenEnd(a);
                const std::string token = T.substr(a, t - a);
                if (!token.empty() && token[0] == '"') {
                    if (token.size() >= 2 && token.back() == '"') {
                        command.vString.push_back(token.substr(1, token.size() - 2));
                    } else {
                        // An unclosed quote reads as the number 0.
                        badQuote = true;
                        command.vInt.push_back(0);
                    }
                } else {
                    command.vInt.push_back(std::atoi(token.c_str()));
                }
                if (t >= cclose) break;
                // The list ends at its ")": a blank before the ")" must not send the
                // scan on to a "," of some later line.
                size_t comma = T.find(',', t);
                if (comma == std::string::npos || comma > cclose) break;
                a = comma + 1;
            }

            size_t crlf = T.find("\r\n", a);
            if (crlf == std::string::npos) {
                ParseError(fileName, commandLine, "コマンド \"" + name + "\" の行が改行で終わっていません");
                m_vSections.push_back(std::move(section));
                p = N;
                sectionDone = true;
                break;
            }
            p = skipBlanks(crlf + 2);
            if (p + 3 <= N && T.compare(p, 3, "/\r\n") == 0) {
                size_t s2 = p + 3;
                size_t c = T.find("/\r\n", s2);
                if (c == std::string::npos) {
                    // No text lines; its lines are read as commands.
                    ParseError(fileName, lineAt(p), "テキストブロックが \"/\" の行で閉じていません");
                    p = s2;
                    c = s2;
                } else {
                    p = std::string::npos;
                }
                while (s2 < c) {
                    s2 = skipBlanks(s2);
                    size_t le = T.find("\r\n", s2);
                    if (le == std::string::npos) le = N;
                    if (s2 < N && T[s2] == '/') break;
                    command.vString.push_back(T.substr(s2, le - s2));
                    s2 = le + 2;
                }
                if (p == std::string::npos) p = s2 + 1;
            }
            if (badQuote)
                ParseError(fileName, commandLine,
                           "コマンド \"" + name + "\" の引用符が閉じていません (その引数は数値 0 になります)");
            section.vCommands.push_back(std::move(command));
        }
        if (!sectionDone) m_vSections.push_back(std::move(section));
        if (p >= N) break;
    }
}
