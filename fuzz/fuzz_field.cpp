// A field save played: the save's party and field taken over by the field scene in
// the player's phase, then a few frames with the pointer over the map, a unit
// selected and the selection dropped (the map, the units' hit point digits, the
// ranges, the minimap and the information strip drawn each frame).
#include "field_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The view rests on the key unit in the middle of the screen.
    static const fuzz::Click kClicks[] = {
        {320, 240, false, false}, {320, 240, true, false}, {352, 272, false, false},
        {352, 272, true, false},  {600, 420, false, false}, {320, 240, false, true},
    };
    fuzz::PlaySave(data, size, FieldSave, kClicks, std::size(kClicks));
    return 0;
}
