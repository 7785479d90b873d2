#pragma once
// The two keyframe tables of the battles.
//
// "model\keyframe_data.csv" (CKeyframeTable, loaded once by the preloader into a
// CTableFile): per motion (keyframe id in column 0) its length and the frame at
// which its blow lands, in the columns named "length" and "atk_time" of row 0.
//
// "model\keyframe.csv" (CKeyframe, read by every battle): per motion the keys from
// which a member's pose, mesh and animation time are computed.  Rows are
// "id,kind,value,value,..." with kind one of time, x, y, z, rx, ry, rz, motion,
// m_time; key i is in column i + 2; the first row of an id fixes its key count.
//
// A keyframe id is a member's base id (100 + 40 x model) plus a motion number.  A
// motion the animation table does not hold falls back to the base's standing motion;
// one the data table does not hold has length 0 and hits at its first frame.  Either
// writes one line in the error log.
#include <map>
#include <string>
#include <vector>

#include "table/gvlTableFile.h"

class CKeyframeTable {
public:
    // Reads "model\keyframe_data.csv" into `table` (rows appended).  A missing or
    // empty file is logged and leaves the table as it was.
    static int Load(CTableFile& table);

    // The cell of the id's first row in the column that row 0 names `name`, as an
    // integer.  A missing column or a missing id answers 0 (not the standing
    // motion's value); both are logged once.
    static int GetInt(const CTableFile& table, int id, const std::string& name);
    // The same on the preloaded table (0 when nothing is preloaded).
    static int GetInt(int id, const std::string& name);
};

// The standing motion of the base that a keyframe id belongs to.
int StandingKeyframeOf(int id);

struct KeyframeKey {
    int time = 0;     // frames from the motion's start
    int motion = 0;   // preloaded unit mesh to show
    int m_time = 0;   // mesh animation time in 1/60 s
    double x = 0, y = 0, z = 0;
    double rx = 0, ry = 0, rz = 0;  // degrees
};

class CKeyframe {
public:
    // Reads "model\keyframe.csv".
    CKeyframe();
    // Reads the rows of a table already loaded (tests).
    explicit CKeyframe(const CTableFile& table);
    virtual ~CKeyframe();
    CKeyframe(const CKeyframe&) = delete;
    CKeyframe& operator=(const CKeyframe&) = delete;

    void LoadRows(const CTableFile& table);

    // Index of the first key whose time is greater than t (0 when t is before the
    // first key, the key count when t is at or past the last).
    int FindKey(int id, double t) const;
    double GetX(int id, double t) const;
    double GetY(int id, double t) const;
    double GetZ(int id, double t) const;
    double GetRX(int id, double t) const;
    double GetRY(int id, double t) const;
    double GetRZ(int id, double t) const;
    int GetMotion(int id, double t) const;
    double GetMTime(int id, double t) const;

    // Whether the id has keys of its own.
    bool Has(int id) const;
    int GetIdCount() const { return int(m_Keys.size()); }

private:
    // The keys of the id, of its standing motion, or a single zero key (with the
    // fall-back logged once per id).
    const std::vector<KeyframeKey>& KeysOf(int id) const;
    double Channel(int id, double t, double KeyframeKey::*field) const;

    std::map<int, std::vector<KeyframeKey>*> m_Keys;  // owned vectors
};
