// The SDL joystick driver read through an SDL virtual joystick.
#include <gtest/gtest.h>

#include <SDL.h>

#include "input/joystick.h"
#include "system.h"

namespace {

class VirtualStick : public ::testing::Test {
protected:
    void SetUp() override {
        driver = plat::CreateSdlJoystickDriver();
        // The driver starts the subsystem; the test then adds its stick.
        if (driver->DeviceCount() == 0 && SDL_WasInit(SDL_INIT_JOYSTICK) == 0)
            GTEST_SKIP() << "no SDL joystick subsystem: " << SDL_GetError();
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 10, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        stick = SDL_JoystickOpen(index);
        ASSERT_NE(stick, nullptr) << SDL_GetError();
    }
    void TearDown() override {
        if (stick) SDL_JoystickClose(stick);
        if (index >= 0) SDL_JoystickDetachVirtual(index);
        driver.reset();
    }

    std::unique_ptr<plat::JoystickDriver> driver;
    int index = -1;
    SDL_Joystick* stick = nullptr;
};

}  // namespace

TEST_F(VirtualStick, CapsPositionAndButtons) {
    ASSERT_GE(driver->DeviceCount(), static_cast<unsigned>(index + 1));
    plat::JoystickCaps caps;
    ASSERT_TRUE(driver->GetCaps(index, caps));
    EXPECT_EQ(caps.xMin, 0u);
    EXPECT_EQ(caps.xMax, 65535u);
    EXPECT_EQ(caps.yMin, 0u);
    EXPECT_EQ(caps.yMax, 65535u);
    EXPECT_EQ(caps.buttonCount, 10u);

    SDL_JoystickSetVirtualAxis(stick, 0, -32768);
    SDL_JoystickSetVirtualAxis(stick, 1, 32767);
    SDL_JoystickSetVirtualButton(stick, 0, 1);
    SDL_JoystickSetVirtualButton(stick, 5, 1);
    SDL_JoystickSetVirtualButton(stick, 8, 1);
    plat::JoystickPos pos;
    ASSERT_TRUE(driver->GetPosEx(index, pos));
    EXPECT_EQ(pos.x, 0u);
    EXPECT_EQ(pos.y, 65535u);
    EXPECT_EQ(pos.buttons, (1u << 0) | (1u << 5) | (1u << 8));

    // The basic read reports the first four buttons only.
    ASSERT_TRUE(driver->GetPos(index, pos));
    EXPECT_EQ(pos.buttons, 1u);

    SDL_JoystickSetVirtualAxis(stick, 0, 0);
    SDL_JoystickSetVirtualButton(stick, 0, 0);
    ASSERT_TRUE(driver->GetPosEx(index, pos));
    EXPECT_EQ(pos.x, 32768u);
    EXPECT_EQ(pos.buttons, (1u << 5) | (1u << 8));
}

TEST_F(VirtualStick, UnknownIdsFail) {
    plat::JoystickCaps caps;
    plat::JoystickPos pos;
    EXPECT_FALSE(driver->GetCaps(1000, caps));
    EXPECT_FALSE(driver->GetPos(1000, pos));
    EXPECT_FALSE(driver->GetPosEx(1000, pos));
}

TEST(JoystickDriverChoice, HeadlessRunsHaveNoJoystick) {
    plat::InitOptions options;
    options.backend = plat::Backend::Headless;
    ASSERT_TRUE(plat::Init(options));
    EXPECT_EQ(plat::Joysticks().DeviceCount(), 0u);
    plat::JoystickCaps caps;
    EXPECT_FALSE(plat::Joysticks().GetCaps(0, caps));
    plat::Shutdown();
}
