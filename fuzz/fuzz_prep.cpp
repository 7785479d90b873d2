// A preparation save played: the save's party and field taken over by the field
// scene in the sortie preparation (the hub with the funds, the heroes and the
// briefing), then a few frames that open its windows from the menu and close them.
#include "field_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The hub's menu rows start at y 105, one every 16 pixels: "強化" (its list of
    // heroes and troops, a row chosen, the window closed), then "編成" (the sortie
    // positions, one chosen).
    static const fuzz::Click kClicks[] = {
        {50, 128, false, false, 12}, {50, 128, true, false},      {100, 46, false, false, 26},
        {100, 46, true, false},      {300, 300, false, false, 5}, {300, 300, false, true},
        {300, 300, false, true, 5},  {50, 112, false, false, 12}, {50, 112, true, false},
        {200, 200, false, false, 26}, {200, 200, true, false},    {320, 240, false, false, 5},
    };
    fuzz::PlaySave(data, size, IntermissionSave, kClicks, std::size(kClicks));
    return 0;
}
