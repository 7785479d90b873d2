// What a script puts on the screen ends with it: a place caption and its band, or a
// message, showing when the script ends are not drawn again by the next one.
#include <gtest/gtest.h>

#include "ScenarioScript.h"
#include "resources/GlobalResources.h"

namespace {

TEST(ScriptEnd, PlaceCaptionAndMessageEndWithTheirScript) {
    {
        C_ScenarioScript opening;
        g_GlobalResources.SetPlace({"国境の平原"});
        g_GlobalResources.SetMessage({"一行目", "二行目"});
        for (int f = 0; f < 30; ++f) {
            g_GlobalResources.DrawPlaceShown(false);
            g_GlobalResources.DrawMessageShown(false);
        }
        ASSERT_GT(g_GlobalResources.GetPlaceState().nB, 0);
        ASSERT_GT(g_GlobalResources.GetMessageState().nB, 0);
    }  // skipped while the caption shows
    EXPECT_EQ(g_GlobalResources.GetPlaceState().nA, 0);
    EXPECT_EQ(g_GlobalResources.GetPlaceState().nB, 0);
    EXPECT_EQ(g_GlobalResources.GetPlaceState().nLineCount, 0);
    EXPECT_EQ(g_GlobalResources.GetMessageState().nB, 0);
    EXPECT_EQ(g_GlobalResources.GetMessageState().nPrevLineCount, 0);
    // The next script's first frames draw the windows hidden: nothing comes back.
    C_ScenarioScript story;
    g_GlobalResources.DrawPlaceHidden(false);
    g_GlobalResources.DrawMessageHidden(false);
    EXPECT_EQ(g_GlobalResources.GetPlaceState().nA, 0);
    EXPECT_EQ(g_GlobalResources.GetPlaceState().nB, 0);
    EXPECT_EQ(g_GlobalResources.GetMessageState().nB, 0);
}

}  // namespace
