// Reader of the headless input script (format in replay_script.h).
#include "core/replay_script.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "core/backend.h"
#include "paths.h"

namespace plat {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ParseNumber(const std::string& word, long long& out) {
    if (word.empty()) return false;
    size_t i = (word[0] == '-' || word[0] == '+') ? 1 : 0;
    if (i == word.size()) return false;
    for (size_t j = i; j < word.size(); ++j)
        if (!std::isdigit(static_cast<unsigned char>(word[j]))) return false;
    try {
        out = std::stoll(word);
    } catch (...) {
        return false;
    }
    return true;
}

bool ParseButton(const std::string& word, int& out) {
    std::string w = Lower(word);
    if (w == "left") out = 0;
    else if (w == "right") out = 1;
    else if (w == "middle") out = 2;
    else return false;
    return true;
}

}  // namespace

bool ParseReplayScript(const std::string& text, std::vector<ReplayEvent>& out, std::string& error) {
    out.clear();
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;

        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        };
        long long frame = 0;
        if (!ParseNumber(w[0], frame) || frame < 0) return fail("a frame number (0 or more) comes first");
        if (w.size() < 2) return fail("an event follows the frame number");
        ReplayEvent ev;
        ev.frame = static_cast<uint64_t>(frame);
        ev.line = lineNo;
        std::string kind = Lower(w[1]);
        if (kind == "move") {
            long long x = 0, y = 0;
            if (w.size() != 4 || !ParseNumber(w[2], x) || !ParseNumber(w[3], y)) return fail("move takes x and y");
            if (x < -32768 || x > 32767 || y < -32768 || y > 32767) return fail("position out of range");
            ev.kind = ReplayEvent::Move;
            ev.x = int(x);
            ev.y = int(y);
            out.push_back(ev);
        } else if (kind == "down" || kind == "up") {
            if (w.size() != 3 || !ParseButton(w[2], ev.button)) return fail(kind + " takes left, right or middle");
            ev.kind = kind == "down" ? ReplayEvent::ButtonDown : ReplayEvent::ButtonUp;
            out.push_back(ev);
        } else if (kind == "keydown" || kind == "keyup" || kind == "key") {
            detail::KeyInfo key;
            if (w.size() != 3 || !detail::FindKeyByName(w[2], key)) return fail(kind + " takes a known key name");
            ev.scanCode = key.scanCode;
            ev.virtualKey = key.virtualKey;
            ev.extended = key.extended;
            if (kind == "keyup") {
                ev.kind = ReplayEvent::KeyUp;
                out.push_back(ev);
            } else {
                ev.kind = ReplayEvent::KeyDown;
                out.push_back(ev);
                if (kind == "key") {
                    ev.kind = ReplayEvent::KeyUp;
                    ev.frame += 1;
                    out.push_back(ev);
                }
            }
        } else if (kind == "screenshot") {
            if (w.size() != 3) return fail("screenshot takes one file name");
            ev.kind = ReplayEvent::Screenshot;
            ev.path = w[2];
            out.push_back(ev);
        } else if (kind == "quit") {
            if (w.size() != 2) return fail("quit takes nothing");
            ev.kind = ReplayEvent::Quit;
            out.push_back(ev);
        } else {
            return fail("unknown event \"" + w[1] + "\"");
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    return true;
}

bool LoadReplayScript(const std::string& path, std::vector<ReplayEvent>& out, std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot read the script \"" + path + "\"";
        return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    if (!ParseReplayScript(ss.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    // The game may leave this folder once it starts; the pictures stay where named.
    for (ReplayEvent& ev : out)
        if (ev.kind == ReplayEvent::Screenshot && ev.path[0] != '/') ev.path = CurrentFolder() + ev.path;
    return true;
}

}  // namespace plat
