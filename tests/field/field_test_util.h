#pragma once
// Helpers of the field tests: a folder that sees the runnable game's content, a field
// state with its controller and party on a grid of the test's choosing, an input
// whose pointer and three buttons the test sets, and units made from person types.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "golden.h"
#include "input/gvlInputManager.h"
#include "task/TaskController.h"
#include "table/gvlTableFile.h"

namespace fieldtest {

// A fresh folder whose entries link to the runnable game's files (content, tables,
// pictures); the test runs inside it.
class GameFolder {
public:
    // `ownDirs`: folders made for real, their files linked one by one, so that the
    // test can add or replace files there.
    explicit GameFolder(const std::vector<std::string>& ownDirs = {}) {
        namespace fs = std::filesystem;
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            bool own = false;
            for (const std::string& d : ownDirs) own = own || d == name;
            if (!own) {
                fs::create_symlink(e.path(), dir_.path() + name);
                continue;
            }
            fs::create_directory(dir_.path() + name);
            for (const auto& f : fs::directory_iterator(e.path()))
                fs::create_symlink(f.path(), dir_.path() + name + "/" + f.path().filename().string());
        }
        cwd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
    }
    // Writes (replacing a link) a file below the folder.
    void Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::remove(dir_.path() + name);
        std::ofstream(dir_.path() + name, std::ios::binary) << bytes;
    }
    std::string ErrorLog() const {
        std::ifstream in(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    const std::string& path() const { return dir_.path(); }

private:
    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cwd_;
};

// Pointer and buttons set by the test; a press lasts until Step().
class TestInput : public IInputManager {
public:
    void Update() override {}
    bool IsLButtonDown() override { return left; }
    bool IsRButtonDown() override { return right; }
    bool IsMButtonDown() override { return middle; }
    bool IsLButtonPush() override { return leftPush; }
    bool IsRButtonPush() override { return rightPush; }
    bool IsMButtonPush() override { return middlePush; }
    int GetX() override { return x; }
    int GetY() override { return y; }
    void GetXY(int* px, int* py) override {
        if (px) *px = x;
        if (py) *py = y;
    }
    bool IsPush(int) override { return false; }
    bool IsPress(int) override { return false; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }

    void Move(int nx, int ny) { x = nx, y = ny; }
    // Pushes end; held buttons stay held.
    void Step() { leftPush = rightPush = middlePush = false; }

    int x = 320, y = 240;
    bool left = false, right = false, middle = false;
    bool leftPush = false, rightPush = false, middlePush = false;
};

// A grid of w x h cells of one chip.
inline void SetGrid(C_FieldTaskInfo& info, int w, int h, int chip = 0) {
    std::string text;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) text += (x ? "," : "") + std::to_string(chip);
        text += "\r\n";
    }
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    info.m_MapData.LoadGridTable(table, "test grid");
    info.ResetRangeCells();
}

// A field state with its controller and party, as the field scene sets them up.
struct Field {
    Field() {
        party.Reset();
        info.m_pTaskController = &controller;
        info.m_pPartyData = &party;
        info.SetInputManager(&input);
    }
    ~Field() {
        // Tasks go before the state, like the scene's members.
        while (controller.GetTaskCount() > 0) controller.KillTaskRange(-100000, 100000);
    }
    // A unit of person types (first the leader) at (x, y); returns its index.
    int AddUnit(int x, int y, bool friendly, const std::vector<int>& types, int level = 3) {
        int unit = -1;
        for (size_t i = 0; i < types.size(); ++i) {
            PersonRecord p = PersonRecord::CreateFromType(types[i], level, friendly, friendly, i < 2, 0);
            const int index = info.m_PersonList.AddPerson(p);
            if (unit < 0) unit = info.m_UnitList.AddUnit(index);
            else info.m_UnitList.AddMember(unit, index);
        }
        info.m_UnitList.SetUnitPosition(unit, x, y);
        return unit;
    }
    // One update and one draw pass; then the pushes end.
    void Frame() {
        controller.Update(&info);
        controller.Draw(&info);
        input.Step();
    }

    CPartyData party;
    TestInput input;
    C_FieldTaskInfo info;
    C_TaskController controller;
};

}  // namespace fieldtest
