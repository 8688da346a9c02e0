#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/commands.h"
#include "event/event_model.h"

namespace velkaro {

// The node codes of the event tree: category x 10000 plus the kind's offset.
namespace node {
inline constexpr int kTrack = 1000;
inline constexpr int kDrivers = 1000;  // + k for driver k
inline constexpr int kQualification = 3000;
inline constexpr int kQualifParameters = 3010;
inline constexpr int kQualifArrangement = 3020;
inline constexpr int kRounds = 3100;           // + 100 (r - 1) for round r, + h for its heat h
inline constexpr int kClassifications = 3950;  // + r for round r
inline constexpr int kOverall = 3990;
inline constexpr int kFinals = 4000;
inline constexpr int kFinalsParameters = 4010;
inline constexpr int kFinalsArrangement = 4020;
inline constexpr int kFinal = 4100;  // + 2i - 1 and + 2i for the 1/2^i A and B runs
inline constexpr int kClosure = 5000;
}  // namespace node

// Image indices of the tree's ten icons.
enum TreeImage {
    kImageFolder = 0,
    kImageTrack = 1,
    kImageDrivers = 2,
    kImageParameters = 3,
    kImageArrangement = 4,
    kImageCategory = 5,
    kImageRunToDo = 6,
    kImageClassification = 7,
    kImageRunDone = 8,
};

struct TreeNode {
    int code = 0;
    std::string label;  // Windows-1252
    int image = 0;
    int parent = -1;  // index of the parent node in the list, -1 for the root's children
    bool bold = false;
    bool expanded = false;
};

// 10000 + (code modulo 10000): the node's kind as if it were in category 1.
inline int NormalizedCode(int code) {
    return 10000 + code % 10000;
}

// The whole tree of an event, parents before their children, in display order. Drivers are
// listed up to the first empty name.
std::vector<TreeNode> BuildEventTree(const EventModel& event);

// One category's subtree (the category node first, its parent -1), as "New category" adds it.
std::vector<TreeNode> BuildCategorySubtree(const EventModel& event, int category);

enum class NodeKind { Other, Heat, FinalsRun, Driver, RoundClassification, Overall };
NodeKind KindOf(int code);

// A heat's node: category from 1, round 1 to 9, heat 1 to 20.
inline int HeatNode(int category, int round, int heat) {
    return category * 10000 + node::kRounds + 100 * (round - 1) + heat;
}
// The heat a node stands for. False for any other node, a round's own node included.
bool HeatOfNode(int code, int& category, int& round, int& heat);

// One entry of the tree's right-click menu; its label is the command's own.
struct PopupEntry {
    CommandId id{};
    bool enabled = true;
    friend bool operator==(const PopupEntry&, const PopupEntry&) = default;
};
// What a node's right-click menu offers: none for most nodes, and the forms of the
// qualification and of the finals only once the category has drivers or finals.
std::vector<PopupEntry> PopupEntries(const EventHeader& header, int code);

// The most characters typed into a category's label, and the most a category's name keeps.
inline constexpr int kRenameLimit = 53;
inline constexpr int kCategoryNameLimit = 54;
// "New category": the next category, named "CATEGORY n". False when every category is in use.
bool AddCategory(EventHeader& header);
// A category's label as edited in the tree, cut to what its name holds. False for a node that
// is not a category's.
bool RenameCategory(EventHeader& header, int code, std::string_view typed);

}  // namespace velkaro
