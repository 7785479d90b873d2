// Scene switching: timing of construction, update and destruction; the exit id;
// ids without a scene.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/ErrorLog.h"
#include "scene/SceneControler.h"
#include "system.h"

namespace {

std::vector<std::string> g_events;
int g_nextOf[10];  // what each test scene's update returns

template <int Id>
class TestScene : public C_SceneBase {
public:
    explicit TestScene(CPartyData* party) : m_pParty(party) {
        g_events.push_back("new" + std::to_string(Id));
        seenParty = party;
    }
    ~TestScene() override { g_events.push_back("delete" + std::to_string(Id)); }
    int Update() override {
        g_events.push_back("update" + std::to_string(Id));
        return g_nextOf[Id];
    }
    void Draw() override { g_events.push_back("draw" + std::to_string(Id)); }
    CPartyData* m_pParty = nullptr;
    static inline CPartyData* seenParty = nullptr;
};

template <int Id>
C_SceneBase* Create(CPartyData* party) {
    return new TestScene<Id>(party);
}

class SceneControlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::Shutdown();
        g_events.clear();
        for (int& n : g_nextOf) n = -1;
        C_SceneControler::RegisterScene(1, &Create<1>);
        C_SceneControler::RegisterScene(2, &Create<2>);
        C_SceneControler::RegisterScene(6, &Create<6>);
    }
    void TearDown() override {
        for (int id = 0; id < 10; ++id) C_SceneControler::RegisterScene(id, nullptr);
    }
    // One frame as the application runs it: update, then draw.
    HRESULT Frame(C_SceneControler& c) {
        HRESULT hr = c.Update();
        c.Draw();
        return hr;
    }
};

TEST_F(SceneControlerTest, LoadingSceneIsMadeAndUpdatedInTheFirstFrame) {
    C_SceneControler c;
    EXPECT_EQ(c.GetCurrentId(), -1);
    EXPECT_EQ(c.GetNextId(), 6);
    EXPECT_EQ(g_pInputManager, static_cast<IInputManager*>(&c.GetInputManager()));
    EXPECT_EQ(Frame(c), S_OK);
    EXPECT_EQ(g_events, (std::vector<std::string>{"new6", "update6", "draw6"}));
    EXPECT_EQ(c.GetCurrentId(), 6);
    EXPECT_EQ(TestScene<6>::seenParty, &c.GetPartyData());
}

TEST_F(SceneControlerTest, SwitchHappensInTheFrameAfterTheRequest) {
    C_SceneControler c;
    g_nextOf[6] = 1;
    Frame(c);  // frame n: loading runs, asks for the title, is still drawn
    EXPECT_EQ(g_events, (std::vector<std::string>{"new6", "update6", "draw6"}));
    g_events.clear();
    Frame(c);  // frame n+1: old deleted before the new one is built, new updated at once
    EXPECT_EQ(g_events, (std::vector<std::string>{"delete6", "new1", "update1", "draw1"}));
    EXPECT_EQ(c.GetCurrentId(), 1);
}

TEST_F(SceneControlerTest, OwnIdOrMinusOneStays) {
    C_SceneControler c;
    g_nextOf[6] = 6;
    Frame(c);
    Frame(c);
    g_nextOf[6] = -1;
    Frame(c);
    EXPECT_EQ(g_events, (std::vector<std::string>{"new6", "update6", "draw6", "update6", "draw6", "update6",
                                                  "draw6"}));
}

TEST_F(SceneControlerTest, ExitIdEndsWithFail) {
    C_SceneControler c;
    g_nextOf[6] = 8;
    EXPECT_EQ(Frame(c), S_OK);
    g_events.clear();
    EXPECT_EQ(Frame(c), E_FAIL);
    EXPECT_EQ(g_events, (std::vector<std::string>{"delete6"}));
    EXPECT_EQ(c.GetScene(), nullptr);
}

TEST_F(SceneControlerTest, IdWithoutASceneIsLoggedAndIgnored) {
    C_SceneControler c;
    g_nextOf[6] = 7;  // never a scene
    Frame(c);
    g_events.clear();
    EXPECT_EQ(Frame(c), S_OK);
    // The running scene stays and keeps running.
    EXPECT_EQ(g_events, (std::vector<std::string>{"update6", "draw6"}));
    EXPECT_EQ(c.GetCurrentId(), 6);
    EXPECT_NE(g_ErrorLog.GetLastText().find("7"), std::string::npos);
    g_nextOf[6] = 42;  // out of range
    Frame(c);
    g_events.clear();
    Frame(c);
    EXPECT_EQ(g_events, (std::vector<std::string>{"update6", "draw6"}));
    C_SceneControler::RegisterScene(3, nullptr);
    g_nextOf[6] = 3;  // a scene not built into this program
    Frame(c);
    g_events.clear();
    Frame(c);
    EXPECT_EQ(g_events, (std::vector<std::string>{"update6", "draw6"}));
    g_nextOf[6] = 2;  // and a real one still switches
    Frame(c);
    g_events.clear();
    Frame(c);
    EXPECT_EQ(g_events, (std::vector<std::string>{"delete6", "new2", "update2", "draw2"}));
}

TEST_F(SceneControlerTest, NoSceneAtAllKeepsRunning) {
    C_SceneControler::RegisterScene(6, nullptr);
    C_SceneControler c;
    EXPECT_EQ(Frame(c), S_OK);
    EXPECT_EQ(Frame(c), S_OK);
    EXPECT_EQ(c.GetScene(), nullptr);
    EXPECT_TRUE(g_events.empty());
}

TEST_F(SceneControlerTest, DestructorDeletesTheSceneAndClearsTheInputPointer) {
    {
        C_SceneControler c;
        Frame(c);
        g_events.clear();
    }
    EXPECT_EQ(g_events, (std::vector<std::string>{"delete6"}));
    EXPECT_EQ(g_pInputManager, nullptr);
}

// The input manager is updated before the switch: the new scene's first update
// sees this frame's input.
class InputScene : public C_SceneBase {
public:
    explicit InputScene(CPartyData*) {}
    int Update() override {
        sawX = g_pInputManager ? g_pInputManager->GetX() : -1;
        return -1;
    }
    static inline int sawX = -2;
};

TEST_F(SceneControlerTest, NewSceneSeesThisFramesInput) {
    C_SceneControler::RegisterScene(6, [](CPartyData* p) -> C_SceneBase* { return new InputScene(p); });
    C_SceneControler c;
    plat::SetCursorPos(123, 45);
    Frame(c);
    EXPECT_EQ(InputScene::sawX, 123);
}

}  // namespace
