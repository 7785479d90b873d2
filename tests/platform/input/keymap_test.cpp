// Keyboard translation: every key position against its scan code and
// virtual-key code (key positions as USB HID usage ids).
#include <gtest/gtest.h>

#include "input/joystick.h"
#include "input/keymap.h"

namespace {

struct Row {
    int hid;
    int scan;
    unsigned vk;
};

// Written out independently of the translation table.
const Row kRows[] = {
    {4, 0x1E, 'A'},   {5, 0x30, 'B'},   {6, 0x2E, 'C'},   {7, 0x20, 'D'},   {8, 0x12, 'E'},
    {9, 0x21, 'F'},   {10, 0x22, 'G'},  {11, 0x23, 'H'},  {12, 0x17, 'I'},  {13, 0x24, 'J'},
    {14, 0x25, 'K'},  {15, 0x26, 'L'},  {16, 0x32, 'M'},  {17, 0x31, 'N'},  {18, 0x18, 'O'},
    {19, 0x19, 'P'},  {20, 0x10, 'Q'},  {21, 0x13, 'R'},  {22, 0x1F, 'S'},  {23, 0x14, 'T'},
    {24, 0x16, 'U'},  {25, 0x2F, 'V'},  {26, 0x11, 'W'},  {27, 0x2D, 'X'},  {28, 0x15, 'Y'},
    {29, 0x2C, 'Z'},
    {30, 0x02, '1'},  {31, 0x03, '2'},  {32, 0x04, '3'},  {33, 0x05, '4'},  {34, 0x06, '5'},
    {35, 0x07, '6'},  {36, 0x08, '7'},  {37, 0x09, '8'},  {38, 0x0A, '9'},  {39, 0x0B, '0'},
    {40, 0x1C, 0x0D},  // Return
    {41, 0x01, 0x1B},  // Escape
    {42, 0x0E, 0x08},  // Backspace
    {43, 0x0F, 0x09},  // Tab
    {44, 0x39, 0x20},  // Space
    {45, 0x0C, 0xBD}, {46, 0x0D, 0xBB}, {47, 0x1A, 0xDB}, {48, 0x1B, 0xDD}, {49, 0x2B, 0xDC},
    {50, 0x2B, 0xDC}, {51, 0x27, 0xBA}, {52, 0x28, 0xDE}, {53, 0x29, 0xC0}, {54, 0x33, 0xBC},
    {55, 0x34, 0xBE}, {56, 0x35, 0xBF}, {57, 0x3A, 0x14},
    {58, 0x3B, 0x70}, {59, 0x3C, 0x71}, {60, 0x3D, 0x72}, {61, 0x3E, 0x73}, {62, 0x3F, 0x74},
    {63, 0x40, 0x75}, {64, 0x41, 0x76}, {65, 0x42, 0x77}, {66, 0x43, 0x78}, {67, 0x44, 0x79},
    {68, 0x57, 0x7A}, {69, 0x58, 0x7B},
    {70, 0xB7, 0x2C}, {71, 0x46, 0x91}, {72, 0xC5, 0x13},
    {73, 0xD2, 0x2D}, {74, 0xC7, 0x24}, {75, 0xC9, 0x21}, {76, 0xD3, 0x2E}, {77, 0xCF, 0x23},
    {78, 0xD1, 0x22},
    {79, 0xCD, 0x27},  // Right
    {80, 0xCB, 0x25},  // Left
    {81, 0xD0, 0x28},  // Down
    {82, 0xC8, 0x26},  // Up
    {83, 0x45, 0x90}, {84, 0xB5, 0x6F}, {85, 0x37, 0x6A}, {86, 0x4A, 0x6D}, {87, 0x4E, 0x6B},
    {88, 0x9C, 0x0D},
    {89, 0x4F, 0x61}, {90, 0x50, 0x62}, {91, 0x51, 0x63}, {92, 0x4B, 0x64}, {93, 0x4C, 0x65},
    {94, 0x4D, 0x66}, {95, 0x47, 0x67}, {96, 0x48, 0x68}, {97, 0x49, 0x69}, {98, 0x52, 0x60},
    {99, 0x53, 0x6E}, {100, 0x56, 0xE2}, {101, 0xDD, 0x5D}, {102, 0xDE, 0}, {103, 0x8D, 0x92},
    {104, 0x64, 0x7C}, {105, 0x65, 0x7D}, {106, 0x66, 0x7E},
    {133, 0xB3, 0x6C},
    {135, 0x73, 0xE2}, {136, 0x70, 0x15}, {137, 0x7D, 0xDC}, {138, 0x79, 0x1C}, {139, 0x7B, 0x1D},
    {146, 0x70, 0x15}, {147, 0x70, 0x15}, {148, 0x29, 0xC0},
    {224, 0x1D, 0x11},  // left Ctrl
    {225, 0x2A, 0x10}, {226, 0x38, 0x12}, {227, 0xDB, 0x5B},
    {228, 0x9D, 0x11},  // right Ctrl
    {229, 0x36, 0x10}, {230, 0xB8, 0x12}, {231, 0xDC, 0x5C},
    {282, 0xDF, 0x5F},
};

bool Listed(int hid) {
    for (const Row& r : kRows)
        if (r.hid == hid) return true;
    return false;
}

}  // namespace

TEST(KeyTranslation, EveryMappedKey) {
    for (const Row& r : kRows) {
        EXPECT_EQ(plat::ScanCodeFromSdl(r.hid), r.scan) << "key position " << r.hid;
        EXPECT_EQ(plat::VirtualKeyFromSdl(r.hid), r.vk) << "key position " << r.hid;
    }
}

TEST(KeyTranslation, EveryOtherPositionIsUnmapped) {
    for (int hid = -5; hid < 600; ++hid) {
        if (Listed(hid)) continue;
        EXPECT_EQ(plat::ScanCodeFromSdl(hid), 0) << hid;
        EXPECT_EQ(plat::VirtualKeyFromSdl(hid), 0u) << hid;
    }
}

TEST(KeyTranslation, TheGamesKeysAreDistinct) {
    // The keys the game binds must not share a scan code with another position.
    const int gameScans[] = {0x01, 0x48, 0xC8, 0x50, 0xD0, 0x4B, 0xCB, 0x4D, 0xCD, 0x2C,
                             0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x1D, 0x9D, 0x3F};
    for (int scan : gameScans) {
        int positions = 0;
        for (int hid = 0; hid < 512; ++hid) positions += plat::ScanCodeFromSdl(hid) == scan;
        EXPECT_EQ(positions, 1) << std::hex << scan;
    }
}

namespace {
class OneStick : public plat::JoystickDriver {
public:
    unsigned DeviceCount() override { return 1; }
    bool GetCaps(unsigned, plat::JoystickCaps&) override { return true; }
    bool GetPos(unsigned, plat::JoystickPos&) override { return true; }
    bool GetPosEx(unsigned, plat::JoystickPos&) override { return true; }
};
}  // namespace

TEST(JoystickDriver, CanBeReplacedAndRestored) {
    plat::JoystickDriver* system = &plat::Joysticks();
    OneStick stick;
    plat::SetJoystickDriver(&stick);
    EXPECT_EQ(&plat::Joysticks(), &stick);
    EXPECT_EQ(plat::Joysticks().DeviceCount(), 1u);
    plat::SetJoystickDriver(nullptr);
    EXPECT_EQ(&plat::Joysticks(), system);
}
