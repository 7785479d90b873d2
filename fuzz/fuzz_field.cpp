// A field save played: the save's party and field taken over by the field scene in
// the player's phase, then a few frames with the pointer over the map, a unit
// selected and the selection dropped (the map, the units' hit point digits, the
// ranges, the minimap and the information strip drawn each frame).  Then the first
// unit the player may move strikes the first enemy band, set beside it, and the
// results are applied.  Last the turn is ended from the field menu (the player's phase
// clicks right and left in turn, so that its messages and briefings are clicked away)
// and the enemy phase plays (the band beside the player's unit strikes back through
// the battle scene; the button held hurries the enemies' moves) until the player's
// next turn begins, or the map ends in it (a seed's hero falls, and the game-over
// picture, once it has come up, is clicked away).  Each phase is cut off after a
// bound of frames (field_turn.h: 100 for the player's, 700 for the enemy's, within
// which chapter 0's enemy phase ends, also with its hero at bay), so that an input
// whose phase never ends costs that bound and no more; under the plain driver the
// frames also stop once its time is up.
#include "field_turn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FieldReach reach;
    fuzz::PlayFieldTurn(data, size, reach);
    return 0;
}
