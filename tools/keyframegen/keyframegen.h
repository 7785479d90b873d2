#pragma once
// The keyframe animation table of the battles: for every motion of
// "keyframe_data.csv" (id in column 0, "length" and "atk_time" columns) the keys of
// its pose, mesh and animation time, as the rows of "keyframe.csv".
#include <string>
#include <vector>

namespace keyframegen {

struct Motion {
    int id = 0;
    int length = 0;
    int atkTime = 0;
};

struct Key {
    int time = 0;
    double x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
    int motion = 0;
    int mTime = 0;
};

// The motions of the keyframe-data text (header row first); rows without an id
// are skipped.
std::vector<Motion> ReadMotions(const std::string& csvText);
// The unit mesh shown by the motions of a keyframe base id.
int MeshOfBase(int base);
// The keys of one motion (times strictly rising, the last at the motion's length).
std::vector<Key> KeysOf(const Motion& motion);
// The whole table, CR LF rows.
std::string TableText(const std::vector<Motion>& motions);

}  // namespace keyframegen
