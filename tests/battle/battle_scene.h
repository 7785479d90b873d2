#pragma once
// A battle on the software device with the runnable game's data: the folder sees
// the game's files, everything is preloaded as by the loading scene, and a field
// state holds two units of the demo's persons with resolved actions.  Used by the
// battle's picture tests and its benchmark.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "SkillData.h"
#include "TaskBattle.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "preload/GlobalPreloadData.h"
#include "random/gvlRand.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "task/TaskController.h"

namespace battletest {

class BattleStage {
public:
    BattleStage() {
        namespace fs = std::filesystem;
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir_.path() + name);
        }
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        for (int step = 0; step < CGlobalPreloadData::kSteps; ++step) g_GlobalPreloadData.Load(step);
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadCsv();
        g_SkillData.Load();
        party_.nMap = 1;
        g_Rand.SetSeed(4357);  // the effects' draws do not depend on what ran before
        field_ = std::make_unique<C_FieldTaskInfo>();
        field_->m_pPartyData = &party_;
        field_->m_pTaskController = &controller_;
    }
    ~BattleStage() {
        while (controller_.GetTaskCount() > 0) controller_.KillTaskRange(-100000, 100000);
        field_.reset();
        g_GlobalPreloadData.Release();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        CPersonTypeTable::Clear();
        cd_.reset();
    }

    // A unit of the demo's person types; `forward` per member.
    int AddUnit(const std::vector<int>& types, const std::vector<int>& forward, bool friendly) {
        int unit = -1;
        for (size_t i = 0; i < types.size(); ++i) {
            PersonRecord p = PersonRecord::CreateFromType(types[i], 5, friendly, friendly, uint8_t(forward[i]), 0);
            const int person = field_->m_PersonList.AddPerson(p);
            if (i == 0) unit = field_->m_UnitList.AddUnitAt(person, int(i), friendly ? 1 : 2);
            else field_->m_UnitList.AddMember(unit, person);
            field_->m_UnitList.GetMemberPerson(unit, int(i)).bForward = uint8_t(forward[i]);
        }
        return unit;
    }
    BattleActionRecord& AddRecord(int unit, std::vector<int> skills, std::vector<int> targets) {
        field_->m_vBattleAction.emplace_back();
        BattleActionRecord& r = field_->m_vBattleAction.back();
        r.nUnit = unit;
        for (size_t i = 0; i < skills.size(); ++i) r.nSkill[i] = skills[i];
        for (size_t i = 0; i < targets.size(); ++i) r.nTargetSlot[i] = targets[i];
        return r;
    }
    static AttackResult Blow(int attacker, int target, int skill, int amount, bool miss = false,
                             bool critical = false, bool fall = false) {
        AttackResult r;
        r.nAttacker = attacker;
        r.nTarget = target;
        r.nSkill = skill;
        r.nAmount = amount;
        r.bMiss = miss;
        r.bCritical = critical;
        r.bFall = fall;
        return r;
    }

    // Adds the battle task.
    void Start() {
        over_ = 0;
        controller_.AddTask(new C_TaskBattle(field_.get(), &over_), C_TaskBattle::kPriority);
    }
    // One frame: update and draw, as the field scene runs them.
    void Frame() {
        controller_.Update(field_.get());
        controller_.Draw(field_.get());
        EndSpriteBatch();
        ++frames_;
    }
    // Runs until `frames` frames have been drawn (or the battle is over).
    void RunTo(int frames) {
        while (frames_ < frames && controller_.GetTaskCount() > 0) Frame();
    }
    C_TaskBattle* Task() const {
        return controller_.GetTaskCount() ? dynamic_cast<C_TaskBattle*>(controller_.GetTasks().front()) : nullptr;
    }
    const uint32_t* Pixels() const { return g_pD3DDevice->BackBuffer(); }
    // The picture of a region, for a golden image.
    std::vector<uint32_t> Crop(int x, int y, int w, int h) const {
        std::vector<uint32_t> out(size_t(w) * h);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) out[size_t(j) * w + i] = Pixels()[size_t(y + j) * 640 + x + i] | 0xFF000000u;
        return out;
    }
    // Writes the whole frame when VORMANT_BATTLE_SHOTS names a folder (for looking).
    void Save(const std::string& name) const {
        if (const char* dir = std::getenv("VORMANT_BATTLE_SHOTS")) {
            auto px = Crop(0, 0, 640, 480);
            testsupport::WritePng(std::string(dir) + "/" + name + ".png", px.data(), 640, 480);
        }
    }

    // The error log written so far.
    std::string Log() const {
        std::ifstream in(dir_.path() + "ErrorLog.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    C_FieldTaskInfo& Field() { return *field_; }
    uint8_t Over() const { return over_; }
    int Frames() const { return frames_; }

private:
    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    CPartyData party_;
    C_TaskController controller_;
    std::unique_ptr<C_FieldTaskInfo> field_;
    uint8_t over_ = 0;
    int frames_ = 0;
};

}  // namespace battletest
