// The battle motions: standing, eight melee approaches, the hit reactions, the
// bow or spear shot and the casting, shaped by each motion's length and hit time.
#include "keyframegen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace keyframegen {

namespace {

std::vector<std::string> SplitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    for (char c : line) {
        if (c == ',') {
            cells.push_back(cell);
            cell.clear();
        } else if (c != '\r') {
            cell += c;
        }
    }
    cells.push_back(cell);
    return cells;
}

// Appends a key at `time` when that lies after the last one (times must rise).
void Put(std::vector<Key>& keys, Key k) {
    if (!keys.empty() && k.time <= keys.back().time) k.time = keys.back().time + 1;
    keys.push_back(k);
}

}  // namespace

std::vector<Motion> ReadMotions(const std::string& csvText) {
    std::vector<Motion> motions;
    std::istringstream in(csvText);
    std::string line;
    int lengthColumn = -1, atkColumn = -1;
    bool header = true;
    while (std::getline(in, line)) {
        const auto cells = SplitCells(line);
        if (header) {
            for (size_t i = 0; i < cells.size(); ++i) {
                if (cells[i] == "length") lengthColumn = int(i);
                if (cells[i] == "atk_time") atkColumn = int(i);
            }
            header = false;
            continue;
        }
        if (cells.empty() || cells[0].empty()) continue;
        Motion m;
        m.id = std::atoi(cells[0].c_str());
        if (m.id < 100) continue;
        if (lengthColumn >= 0 && lengthColumn < int(cells.size())) m.length = std::atoi(cells[size_t(lengthColumn)].c_str());
        if (atkColumn >= 0 && atkColumn < int(cells.size())) m.atkTime = std::atoi(cells[size_t(atkColumn)].c_str());
        motions.push_back(m);
    }
    return motions;
}

int MeshOfBase(int base) {
    switch (base) {
        case 100: return 0;   // swordsman: light armour
        case 140: return 2;   // archer
        case 180: return 6;   // mage (and the swordsman's bow)
        case 220: return 3;   // rider
        case 380: return 16;  // the swordsman's spear
        default: break;
    }
    int mesh = ((base - 100) / 40) % 17;
    if (mesh == 4) mesh = 5;  // mesh 4 does not exist
    return mesh;
}

std::vector<Key> KeysOf(const Motion& motion) {
    const int number = (motion.id - 100) % 40;
    const int base = motion.id - number;
    const int mesh = MeshOfBase(base);
    const int length = std::max(motion.length, 2);
    const int hit = std::clamp(motion.atkTime, 0, length);
    std::vector<Key> keys;
    auto key = [&](int time) {
        Key k;
        k.time = time;
        k.motion = mesh;
        return k;
    };
    if (number >= 1 && number <= 8) {
        // Run up to the enemy, wind up, strike at the hit time, run back.
        static const double kSide[9] = {0, 0, 0.35, -0.35, 0.5, -0.5, 0.25, -0.25, 0};
        const double reach = 2.6 + 0.1 * (number % 3), side = kSide[number];
        const int arrive = std::max(1, hit - 14), windUp = std::max(arrive + 1, hit - 5);
        const int recover = std::min(length - 1, hit + 10);
        Put(keys, key(0));
        Key k = key(arrive);
        k.x = side, k.y = reach, k.mTime = 3 * arrive;
        Put(keys, k);
        k = key(windUp);
        k.x = side, k.y = reach + 0.1, k.z = 0.12, k.rz = -35, k.mTime = 3 * arrive;
        Put(keys, k);
        k = key(hit);
        k.x = side, k.y = reach + 0.5, k.rz = 45, k.mTime = 3 * arrive;
        Put(keys, k);
        k = key(recover);
        k.x = side, k.y = reach, k.mTime = 3 * arrive;
        Put(keys, k);
        k = key(length);
        k.mTime = 3 * arrive + 3 * (length - recover);
        Put(keys, k);
    } else if (number == 9 || number == 12) {
        // Knocked back and up a little, then back in place.
        Put(keys, key(0));
        Key k = key(4);
        k.y = number == 12 ? -0.45 : -0.3, k.z = 0.1, k.rz = 12;
        Put(keys, k);
        k = key(std::max(5, length * 2 / 5));
        k.y = number == 12 ? -0.5 : -0.35, k.rz = 4;
        Put(keys, k);
        Put(keys, key(length));
    } else if (number == 10) {
        // Draw, aim, loose.
        const int release = std::max(2, std::min(hit, 35));
        Put(keys, key(0));
        Key k = key(release - 12 > 0 ? release - 12 : 1);
        k.rz = -20, k.z = 0.05;
        Put(keys, k);
        k = key(release);
        k.rz = 8;
        Put(keys, k);
        k = key(std::min(length - 1, release + 12));
        Put(keys, k);
        Put(keys, key(length));
    } else if (number == 11) {
        // Rise and turn once while the spell gathers, then settle.
        Put(keys, key(0));
        Key k = key(20);
        k.z = 0.2;
        Put(keys, k);
        k = key(40);
        k.z = 0.35, k.rz = 180;
        Put(keys, k);
        k = key(60);
        k.z = 0.3, k.rz = 360;
        Put(keys, k);
        k = key(std::max(61, length));
        k.rz = 360;
        Put(keys, k);
    } else {
        // Standing (and any other number): still.
        Put(keys, key(0));
        Put(keys, key(length));
    }
    return keys;
}

std::string TableText(const std::vector<Motion>& motions) {
    std::string out;
    char buf[64];
    for (const Motion& m : motions) {
        const std::vector<Key> keys = KeysOf(m);
        auto row = [&](const char* kind, auto value) {
            out += std::to_string(m.id) + "," + kind;
            for (const Key& k : keys) {
                std::snprintf(buf, sizeof buf, ",%g", double(value(k)));
                out += buf;
            }
            out += "\r\n";
        };
        row("time", [](const Key& k) { return k.time; });
        row("x", [](const Key& k) { return k.x; });
        row("y", [](const Key& k) { return k.y; });
        row("z", [](const Key& k) { return k.z; });
        row("rx", [](const Key& k) { return k.rx; });
        row("ry", [](const Key& k) { return k.ry; });
        row("rz", [](const Key& k) { return k.rz; });
        row("motion", [](const Key& k) { return k.motion; });
        row("m_time", [](const Key& k) { return k.mTime; });
    }
    return out;
}

}  // namespace keyframegen
