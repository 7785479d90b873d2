// A preparation save played: the save's party and field taken over by the field
// scene in the sortie preparation (the hub with the funds, the heroes and the
// briefing), then a few frames that open its windows from the menu and close them.
#include "field_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::Click kClicks[] = {
        {60, 112, false, false}, {60, 130, true, false}, {200, 200, false, false}, {60, 130, false, true},
        {60, 112, true, false},  {300, 300, false, false}, {300, 300, false, true}, {260, 254, true, false},
    };
    fuzz::PlaySave(data, size, IntermissionSave, kClicks, std::size(kClicks));
    return 0;
}
