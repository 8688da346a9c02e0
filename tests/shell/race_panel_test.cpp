#include "shell/race_panel.h"

#include <gtest/gtest.h>

#include <set>

namespace velkaro {
namespace {

const PanelControlDef& Find(const std::array<PanelControlDef, kPanelControls>& c, int id) {
    for (const PanelControlDef& p : c) {
        if (p.id == id) return p;
    }
    static PanelControlDef none{-1, ControlKind::GroupFrame, "", {}};
    ADD_FAILURE() << "no control " << id;
    return none;
}

TEST(RacePanel, PlacesOnA1600By900Screen) {
    auto c = RacePanelLayout({1600, 900});
    EXPECT_EQ(Find(c, 2001).rect, (Rect{688, 40, 768, 85}));
    EXPECT_EQ(Find(c, 2006).rect, (Rect{893, 86, 963, 106}));
    EXPECT_EQ(Find(c, 6101).rect, (Rect{1480, 60, 1520, 100}));
    // C = 900: car 1 ten buttons left of the middle, car 20 nine to the right.
    EXPECT_EQ(Find(c, 2201).rect, (Rect{400, 625, 440, 645}));
    EXPECT_EQ(Find(c, 2220).rect, (Rect{1350, 625, 1390, 645}));
    EXPECT_EQ(Find(c, 2104).rect, (Rect{1155, 725, 1227, 1325}));  // D = 720
    EXPECT_EQ(Find(c, 0).rect, (Rect{375, 606, 1425, 656}));
}

TEST(RacePanel, ScalesWithTheScreenInIntegerSteps) {
    auto c = RacePanelLayout({1920, 1080});
    // Start at C - 212 x 1.2 = 806; D = 720 x 1920 / 1600 = 864; pixel sizes x 1.2.
    EXPECT_EQ(Find(c, 2002).rect, (Rect{926, 48, 1022, 102}));
    EXPECT_EQ(Find(c, 2101).rect, (Rect{1070, 872, 1211, 896}));
    EXPECT_EQ(Find(c, 2221).rect, (Rect{254, 852, 734, 942}));
    // Car buttons are W / 40 wide and 50 units apart: they never overlap.
    for (int k = 1; k < 20; ++k) {
        EXPECT_LE(Find(c, 2200 + k).rect.right, Find(c, 2201 + k).rect.left) << k;
    }
}

TEST(RacePanel, EveryControlOnceWithItsText) {
    auto c = RacePanelLayout({1600, 900});
    std::set<int> ids;
    for (const PanelControlDef& p : c) EXPECT_TRUE(ids.insert(p.id).second) << p.id;
    EXPECT_EQ(ids.size(), std::size_t(kPanelControls));
    EXPECT_EQ(Find(c, 2213).text, "13");
    EXPECT_EQ(Find(c, 2105).kind, ControlKind::PushLikeCheck);
    EXPECT_EQ(Find(c, 2223).text, "Transponders mode");
}

}  // namespace
}  // namespace velkaro
