// The event task: an event over in its first frame, the real input during the
// event, an event removed before its end, and a raiser removed while its event
// runs (the event must not write into the raiser's freed memory).
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../field_test_util.h"
#include "TaskEvent.h"

namespace {

using fieldtest::Field;
using fieldtest::GameFolder;

// A raiser whose memory is kept (filled with 0xEE) after it is deleted, so that a
// late write into it can be seen.
class KeptRaiser : public C_FieldTaskBase {
public:
    static void* operator new(size_t size) { return std::malloc(size); }
    static void operator delete(void* p, size_t size) {
        std::memset(p, 0xEE, size);
        Kept().push_back(p);
    }
    static std::vector<void*>& Kept() {
        static std::vector<void*> kept;
        return kept;
    }
    static void FreeKept() {
        for (void* p : Kept()) std::free(p);
        Kept().clear();
    }

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {
        if (!m_bRaised) {
            m_bRaised = true;
            const C_TaskReply<uint8_t> done(C_TaskHandle(info->m_pTaskController, this), &m_byDone);
            info->m_pTaskController->AddTask(new C_TaskEvent(info, done, m_strEvent), 220);
        }
        if (m_byDone == 1) ++m_nSeenDone;
    }
    void Draw(C_FieldTaskInfo*) override {}

    uint8_t m_byDone = 7;
    bool m_bRaised = false;
    int m_nSeenDone = 0;
    std::string m_strEvent = "NoSuchEvent";
};

class EventTaskTest : public ::testing::Test {
protected:
    void SetUp() override { fieldtest::SetGrid(f.info, 6, 6); }
    void TearDown() override {
        // Raisers still on the list are deleted (and kept) first, then freed.
        f.controller.KillTaskRange(INT_MIN, INT_MAX);
        KeptRaiser::FreeKept();
    }
    GameFolder folder;
    Field f;
};

TEST_F(EventTaskTest, AnEventWithoutSectionsEndsInItsFirstFrameAndTheRaiserGoesOnOneFrameLater) {
    auto* raiser = new KeptRaiser();
    f.controller.AddTask(raiser, 103);
    f.Frame();  // the raiser raises; the event runs in the same pass (220 > 103) and ends
    EXPECT_EQ(raiser->m_byDone, 1);
    EXPECT_EQ(raiser->m_nSeenDone, 0);
    EXPECT_FALSE(f.controller.HasTask(220));
    f.Frame();
    EXPECT_EQ(raiser->m_nSeenDone, 1);
}

TEST_F(EventTaskTest, TheFlagIsClearedWhenTheEventIsMadeAndTheRealInputIsRead) {
    uint8_t done = 9;
    f.info.m_bTutorialInput = true;
    auto* event = new C_TaskEvent(&f.info, &done, "PhaseStart");
    EXPECT_EQ(done, 0);
    EXPECT_EQ(event->GetEventName(), "PhaseStart");
    f.controller.AddTask(event, 220);
    f.Frame();
    EXPECT_EQ(done, 1);
    // Over: the switch keeps what the last step left (the real input).
    EXPECT_FALSE(f.info.m_bTutorialInput);
}

TEST_F(EventTaskTest, AnEventRemovedBeforeItsEndStillReleasesItsRaiser) {
    auto* raiser = new KeptRaiser();
    f.controller.AddTask(raiser, 300);  // after the event: raises it in the update pass
    f.controller.Update(&f.info);
    ASSERT_TRUE(f.controller.HasTask(220));
    EXPECT_EQ(raiser->m_byDone, 0);
    f.controller.KillTask(220);
    EXPECT_EQ(raiser->m_byDone, 1);
}

TEST_F(EventTaskTest, ARaiserRemovedWhileItsEventRunsIsNotWrittenTo) {
    auto* raiser = new KeptRaiser();
    f.controller.AddTask(raiser, 300);
    f.controller.Update(&f.info);  // raised; the event has not run yet
    ASSERT_TRUE(f.controller.HasTask(220));
    uint8_t* flag = &raiser->m_byDone;
    f.controller.KillTask(300);  // the raiser goes; its memory is kept, filled with 0xEE
    ASSERT_EQ(*flag, 0xEE);
    f.Frame();  // the event ends
    EXPECT_FALSE(f.controller.HasTask(220));
    EXPECT_EQ(*flag, 0xEE);
    // Removed before its end as well: still nothing written.
    auto* second = new KeptRaiser();
    f.controller.AddTask(second, 300);
    f.controller.Update(&f.info);
    uint8_t* flag2 = &second->m_byDone;
    f.controller.KillTask(300);
    f.controller.KillTask(220);
    EXPECT_EQ(*flag2, 0xEE);
}

}  // namespace

// Every event reads the chapter's script again: a fault in it is named in the log the
// first time, and again only once the file has changed.
class EventScriptFaultTest : public ::testing::Test {
protected:
    GameFolder folder{{"script"}};
    Field f;
};

TEST_F(EventScriptFaultTest, AScriptFaultIsLoggedOncePerFileContents) {
    fieldtest::SetGrid(f.info, 6, 6);
    f.party.nMap = 29;
    auto count = [&](const std::string& what) {
        const std::string log = folder.ErrorLog();
        size_t n = 0;
        for (size_t p = log.find(what); p != std::string::npos; p = log.find(what, p + 1)) ++n;
        return n;
    };
    auto raiseEvents = [&](int times) {
        for (int i = 0; i < times; ++i) {
            uint8_t done = 0;
            f.controller.AddTask(new C_TaskEvent(&f.info, &done, "PhaseStart"), 220);
            f.Frame();
        }
    };
    folder.Write("script/chapter29.txt", "Script PhaseStart(0,1)\r\nWait(1)\r\nend\r\n\r\nScript Won()\r\nWait(1)\r\n");
    raiseEvents(4);
    EXPECT_EQ(count("chapter29.txt(5): "), 1u) << folder.ErrorLog();
    folder.Write("script/chapter29.txt", "Script PhaseStart(0,1)\r\nWait(2)\r\nend\r\n\r\nScript Won()\r\nWait(1)\r\n");
    raiseEvents(3);
    EXPECT_EQ(count("chapter29.txt(5): "), 2u) << folder.ErrorLog();
}
