#pragma once

#include <functional>
#include <optional>
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
// What a node's right-click menu offers, every folder included: each entry greyed until the
// category is ready for it (drivers for the qualification's forms, finals for theirs).
std::vector<PopupEntry> PopupEntries(const EventHeader& header, int code);

// The node an "Event" menu command works on when `selected` is the tree's selection: a node of
// the selection's category (for a round's classification, the round the selection is in), or
// 0 when there is none.
int EventCommandNode(CommandId id, int selected);
// Enabled exactly when that node's pop-up offers the command enabled.
bool EventCommandEnabled(const EventHeader& header, int selected, CommandId id);
// A tree command's enable, for its owner to declare: the header's selection is the tree's.
inline std::function<bool()> WhenTheTreeOffers(const EventHeader& header, CommandId id) {
    return [&header, id] { return EventCommandEnabled(header, header.selectedNode, id); };
}
// What a double-click on the node opens: a driver's details, a classification, a form node's
// form; nothing for folders, runs and what the category is not ready for.
std::optional<CommandId> OpenCommand(const EventHeader& header, int code);
// The heat or finals run after (step 1) or before (step -1) the selected one in its category's
// racing order; from another node of the category, "after" is its first run. 0 when none.
int AdjacentRun(const EventModel& event, int selected, int step);

// The most characters typed into a category's label, and the most a category's name keeps.
inline constexpr int kRenameLimit = 53;
inline constexpr int kCategoryNameLimit = 54;
// "New category": the next category, named "CATEGORY n". False when every category is in use.
bool AddCategory(EventHeader& header);
// A category's label as edited in the tree, cut to what its name holds. False for a node that
// is not a category's.
bool RenameCategory(EventHeader& header, int code, std::string_view typed);

}  // namespace velkaro
