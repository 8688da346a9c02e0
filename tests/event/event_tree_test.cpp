#include "event/event_tree.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

EventModel OneCategory(int rounds, int heats, int finalsRuns) {
    EventModel e;
    e.header.categoryCount = 1;
    CategoryRecord& c = e.header.categories[0];
    c.name = "Touring";
    c.rounds = rounds;
    c.heatsPerRound = heats;
    c.finalsRuns = finalsRuns;
    return e;
}

std::vector<std::string> ChildrenOf(const std::vector<TreeNode>& nodes, int parentCode) {
    int parent = -1;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].code == parentCode) parent = int(i);
    }
    std::vector<std::string> labels;
    for (const TreeNode& n : nodes) {
        if (n.parent == parent && parent >= 0) labels.push_back(n.label);
    }
    return labels;
}

using Labels = std::vector<std::string>;

// The node of that code; a test fails without one.
TreeNode Node(const std::vector<TreeNode>& nodes, int code) {
    for (const TreeNode& n : nodes) {
        if (n.code == code) return n;
    }
    ADD_FAILURE() << "no node " << code;
    return {};
}

TEST(EventTree, NoRoundsShowsClassificationsButNoOverall) {
    auto nodes = BuildEventTree(OneCategory(0, 4, 0));
    EXPECT_EQ(nodes[0].label, "Track");
    EXPECT_EQ(nodes[0].code, 1000);
    EXPECT_EQ(ChildrenOf(nodes, 10000),
              (Labels{"Drivers (0)", "Qualif", "Finals", "Closure report"}));
    EXPECT_EQ(ChildrenOf(nodes, 13000), (Labels{"Parameters", "Arrangement", "Classifications"}));
    EXPECT_TRUE(ChildrenOf(nodes, 13950).empty());
    EXPECT_EQ(ChildrenOf(nodes, 14000), (Labels{"Parameters", "Arrangement"}));
}

TEST(EventTree, RoundsHeatsAndTheirCodes) {
    EventModel e = OneCategory(2, 3, 0);
    e.runDone.flags[0][std::size_t(HeatFlagIndex(2, 3))] = 1;
    auto nodes = BuildEventTree(e);
    EXPECT_EQ(ChildrenOf(nodes, 13000),
              (Labels{"Parameters", "Arrangement", "Round1", "Round2", "Classifications"}));
    EXPECT_EQ(ChildrenOf(nodes, 13200), (Labels{"Heat1", "Heat2", "Heat3"}));
    EXPECT_EQ(ChildrenOf(nodes, 13950),
              (Labels{"Classification R1", "Classification R2", "Overall classific."}));
    EXPECT_EQ(Node(nodes, 13203).image, kImageRunDone);
    EXPECT_EQ(Node(nodes, 13202).image, kImageRunToDo);
}

TEST(EventTree, FinalsLadderLargestFractionFirstAndTheFinalLast) {
    EXPECT_EQ(ChildrenOf(BuildEventTree(OneCategory(1, 1, 0)), 14000),
              (Labels{"Parameters", "Arrangement"}));
    EXPECT_EQ(ChildrenOf(BuildEventTree(OneCategory(1, 1, 1)), 14000),
              (Labels{"Parameters", "Arrangement", "Final"}));
    auto nodes = BuildEventTree(OneCategory(1, 1, 5));
    EXPECT_EQ(ChildrenOf(nodes, 14000),
              (Labels{"Parameters", "Arrangement", "1/4A", "1/4B", "1/2A", "1/2B", "Final"}));
    std::vector<int> codes;
    for (const TreeNode& n : nodes) {
        if (n.code > 14100 && n.code < 14200) codes.push_back(n.code);
    }
    EXPECT_EQ(codes, (std::vector<int>{14103, 14104, 14101, 14102}));
}

TEST(EventTree, DriversUpToTheFirstEmptyNameAndCategoryCodes) {
    EventModel e = OneCategory(0, 0, 0);
    e.header.categoryCount = 2;
    e.header.categories[1].name = "Buggy";
    e.header.categories[1].participants = 3;
    e.participantNames[1][0] = "Ann";
    e.participantNames[1][1] = "Bob";
    e.participantNames[1][3] = "after a gap";
    auto nodes = BuildEventTree(e);
    EXPECT_EQ(ChildrenOf(nodes, 21000), (Labels{"Ann", "Bob"}));
    EXPECT_EQ(Node(nodes, 21000).label, "Drivers (3)");
    EXPECT_EQ(Node(nodes, 21002).label, "Bob");
    EXPECT_TRUE(Node(nodes, 20000).bold);
}

TEST(EventTree, NodeKindsByNormalizedCode) {
    // A round loads nothing, nor does the track.
    for (auto [code, kind] : {std::pair{33102, NodeKind::Heat},
                              {13920, NodeKind::Heat},
                              {13200, NodeKind::Other},
                              {24100, NodeKind::FinalsRun},
                              {14122, NodeKind::FinalsRun},
                              {91001, NodeKind::Driver},
                              {13955, NodeKind::RoundClassification},
                              {13990, NodeKind::Overall},
                              {1000, NodeKind::Other}}) {
        EXPECT_EQ(KindOf(code), kind) << code;
    }
}

TEST(EventTree, HeatNodesEncodeAndDecode) {
    int c = 0, r = 0, h = 0;
    for (auto [code, heat] : {std::pair{13302, "1|3|2"}, {93920, "9|9|20"}}) {
        ASSERT_TRUE(HeatOfNode(code, c, r, h)) << code;
        EXPECT_EQ(std::to_string(c) + "|" + std::to_string(r) + "|" + std::to_string(h), heat);
        EXPECT_EQ(HeatNode(c, r, h), code);
    }
    for (int node : {13300, 13100, 13000, 13921, 13950, 13990, 14101, 11001, 1000, 3101}) {
        EXPECT_FALSE(HeatOfNode(node, c, r, h)) << node;
    }
}

// What a node's right-click menu offers ("-" greyed), before and after the category has drivers,
// rounds and finals; what the "Event" menu's command works on from a heat; what a double-click
// opens.
TEST(EventTree, PopupsFollowTheCategorysProgressAndTheEventMenuFollowsThem) {
    EventModel e = OneCategory(0, 2, 0);
    auto ids = [&e](int code) {
        std::string text;
        for (const PopupEntry& p : PopupEntries(e.header, code)) {
            text +=
                (text.empty() ? "" : ",") + std::to_string(ToInt(p.id)) + (p.enabled ? "" : "-");
        }
        return text;
    };
    const int nodes[] = {1000,  10000, 11000, 13000, 13010, 13020, 13100, 13950, 13951,
                         13990, 14000, 14010, 15000, 13101, 11001, 14103, 20000};
    auto all = [&] {
        std::string text;
        for (int code : nodes) text += "[" + ids(code) + "]";
        return text;
    };
    EXPECT_EQ(all(),
              "[1053][1051,1052][1054][1054,1055-,1056-][1055-][1056-][4301][4302-][4301-][4302-]"
              "[1057-,1058-,1059-][1057-][1059-][][][1060][1051,1052]");
    e.header.categories[0].participants = 8;
    e.header.categories[0].rounds = 2;
    e.header.categories[0].finalsState = 1;
    EXPECT_EQ(all(),
              "[1053][1051,1052][1054][1054,1055,1056][1055][1056][4301][4302][4301][4302]"
              "[1057,1058,1059][1057][1059][][][1060][1051,1052]");
    // From heat 1 of round 2, and from another category that does not exist.
    EXPECT_EQ(EventCommandNode(CommandId::RoundClassification, 13201), 13952);
    EXPECT_EQ(EventCommandNode(CommandId::Participants, 13201), 11000);
    EXPECT_TRUE(EventCommandEnabled(e.header, 13201, CommandId::FinalsArrangement));
    EXPECT_FALSE(EventCommandEnabled(e.header, 23201, CommandId::FinalsArrangement));
    EXPECT_FALSE(EventCommandEnabled(e.header, 13010, CommandId::RoundClassification));
    EXPECT_EQ(OpenCommand(e.header, 11003), CommandId::DriverDetails);
    EXPECT_EQ(OpenCommand(e.header, 15000), CommandId::ClosureReport);
    EXPECT_EQ(OpenCommand(e.header, 11000), CommandId::Participants);
    EXPECT_EQ(OpenCommand(e.header, 14000), std::nullopt);  // a folder opens and closes
}

// "Next heat" and "Previous heat" go through the heats, then the finals from the lowest level.
TEST(EventTree, AdjacentRunsFollowTheRacingOrder) {
    EventModel e = OneCategory(2, 2, 3);
    const int cases[][3] = {
        {13101, 1, 13102}, {13102, 1, 13201},  {13202, 1, 14101}, {14102, 1, 14100}, {14100, 1, 0},
        {13101, -1, 0},    {14101, -1, 13202}, {13010, 1, 13101}, {13010, -1, 0},    {1000, 1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(AdjacentRun(e, c[0], c[1]), c[2]) << c[0] << " " << c[1];
    }
}

TEST(EventTree, CategoriesAreAddedUpToNineAndRenamedWithinTheirSlot) {
    EventHeader h;
    for (int k = 1; k <= kCategories; ++k) ASSERT_TRUE(AddCategory(h)) << k;
    EXPECT_FALSE(AddCategory(h));
    EXPECT_EQ(h.categories[8].name, "CATEGORY 9");
    std::string longName(60, 'x');
    EXPECT_TRUE(RenameCategory(h, 30000, longName));
    EXPECT_EQ(h.categories[2].name.View(), std::string(54, 'x'));
    EXPECT_FALSE(RenameCategory(h, 31000, "drivers node"));
    EXPECT_EQ(h.categories[2].name.View(), std::string(54, 'x'));
}

}  // namespace
}  // namespace velkaro
