#include "event/event_tree.h"

#include "common/commands.h"

#include "platform/text.h"

namespace velkaro {

namespace {

int Add(std::vector<TreeNode>& nodes, int code, std::string label, int image, int parent,
        bool bold = false) {
    TreeNode n;
    n.code = code;
    n.label = std::move(label);
    n.image = image;
    n.parent = parent;
    n.bold = bold;
    nodes.push_back(std::move(n));
    return static_cast<int>(nodes.size()) - 1;
}

template <typename... Args>
std::string Printf(CheckedFormat<std::type_identity_t<Args>...> format, Args... args) {
    Text<64> t;
    Format(t, format, args...);
    return std::string(t.View());
}

int RunImage(const EventModel& event, int category, int flagIndex) {
    return event.runDone.flags[std::size_t(category - 1)][std::size_t(flagIndex)] == 1
               ? kImageRunDone
               : kImageRunToDo;
}

void AddCategory(std::vector<TreeNode>& nodes, const EventModel& event, int c) {
    const CategoryRecord& cat = event.header.categories[std::size_t(c - 1)];
    int base = c * 10000;
    int self = Add(nodes, base, std::string(cat.name.View()), kImageCategory, -1, true);
    nodes[std::size_t(self)].expanded = true;

    int drivers = Add(nodes, base + node::kDrivers, Printf("Drivers (%d)", cat.participants),
                      kImageDrivers, self);
    const ParticipantNames& names = event.participantNames[std::size_t(c - 1)];
    for (int k = 1; k <= kParticipants && !names[std::size_t(k - 1)].Empty(); ++k) {
        Add(nodes, base + node::kDrivers + k, std::string(names[std::size_t(k - 1)].View()),
            kImageDrivers, drivers);
    }

    int qualif = Add(nodes, base + node::kQualification, "Qualif", kImageFolder, self);
    Add(nodes, base + node::kQualifParameters, "Parameters", kImageParameters, qualif);
    Add(nodes, base + node::kQualifArrangement, "Arrangement", kImageArrangement, qualif);
    int rounds = std::min(cat.rounds, kRounds);
    int heats = std::min(cat.heatsPerRound, kHeatsPerRound);
    for (int r = 1; r <= rounds; ++r) {
        int roundCode = base + node::kRounds + 100 * (r - 1);
        int round = Add(nodes, roundCode, Printf("Round%d", r), kImageFolder, qualif);
        for (int h = 1; h <= heats; ++h) {
            Add(nodes, roundCode + h, Printf("Heat%d", h), RunImage(event, c, HeatFlagIndex(r, h)),
                round);
        }
    }
    int classifications =
        Add(nodes, base + node::kClassifications, "Classifications", kImageClassification, qualif);
    for (int r = 1; r <= rounds; ++r) {
        Add(nodes, base + node::kClassifications + r, Printf("Classification R%d", r),
            kImageClassification, classifications);
    }
    if (rounds > 0) {
        Add(nodes, base + node::kOverall, "Overall classific.", kImageClassification,
            classifications);
    }

    int finals = Add(nodes, base + node::kFinals, "Finals", kImageFolder, self);
    Add(nodes, base + node::kFinalsParameters, "Parameters", kImageParameters, finals);
    Add(nodes, base + node::kFinalsArrangement, "Arrangement", kImageArrangement, finals);
    int levels = std::min((cat.finalsRuns - 1) / 2, kFinalsLevels);
    for (int i = levels; i >= 1; --i) {
        Add(nodes, base + node::kFinal + 2 * i - 1, Printf("1/%dA", 1 << i),
            RunImage(event, c, FinalsFlagIndex(i, 'A')), finals);
        Add(nodes, base + node::kFinal + 2 * i, Printf("1/%dB", 1 << i),
            RunImage(event, c, FinalsFlagIndex(i, 'B')), finals);
    }
    if (cat.finalsRuns >= 1) {
        Add(nodes, base + node::kFinal, "Final", RunImage(event, c, FinalsFlagIndex(0, 'A')),
            finals);
    }
    Add(nodes, base + node::kClosure, "xClosure report", kImageClassification, self);
}

}  // namespace

std::vector<TreeNode> BuildCategorySubtree(const EventModel& event, int category) {
    std::vector<TreeNode> nodes;
    AddCategory(nodes, event, category);
    return nodes;
}

std::vector<TreeNode> BuildEventTree(const EventModel& event) {
    std::vector<TreeNode> nodes;
    Add(nodes, node::kTrack, "Track", kImageTrack, -1);
    int count = std::min(event.header.categoryCount, kCategories);
    for (int c = 1; c <= count; ++c) {
        std::vector<TreeNode> sub = BuildCategorySubtree(event, c);
        int offset = static_cast<int>(nodes.size());
        for (TreeNode& n : sub) {
            if (n.parent >= 0) n.parent += offset;
            nodes.push_back(std::move(n));
        }
    }
    return nodes;
}

NodeKind KindOf(int code) {
    int n = NormalizedCode(code);
    if (n >= 13101 && n <= 13920 && n % 100 != 0) return NodeKind::Heat;
    if (n >= 14100 && n <= 14122) return NodeKind::FinalsRun;
    if (n >= 11001 && n <= 11200) return NodeKind::Driver;
    if (n >= 13951 && n <= 13959) return NodeKind::RoundClassification;
    if (n == 13990) return NodeKind::Overall;
    return NodeKind::Other;
}

bool HeatOfNode(int code, int& category, int& round, int& heat) {
    if (code < 10000) return false;
    int c = code / 10000;
    int kind = code % 10000 - node::kRounds;  // 100 (r - 1) + h
    int r = kind / 100 + 1;
    int h = kind % 100;
    if (c > kCategories || kind < 0 || r > kRounds || h < 1 || h > kHeatsPerRound) return false;
    category = c;
    round = r;
    heat = h;
    return true;
}

std::vector<PopupEntry> PopupEntries(const EventHeader& header, int code) {
    int n = NormalizedCode(code);
    int category = code / 10000;
    const CategoryRecord* cat = category >= 1 && category <= kCategories
                                    ? &header.categories[std::size_t(category - 1)]
                                    : nullptr;
    bool drivers = cat && cat->participants > 0;
    bool finals = cat && cat->finalsState > 0;
    if (code == node::kTrack) return {{kTrackCommand, "Track for the race"}};
    if (category < 1) return {};
    if (KindOf(code) == NodeKind::FinalsRun) return {{kSwapLanesCommand, "Swap lanes"}};
    switch (n - 10000) {
        case 0:
            return {{kNewCategoryCommand, "New category"},
                    {kRenameCategoryCommand, "Rename category"}};
        case node::kDrivers:
            return {{kParticipantsCommand, "List of participants"}};
        case node::kQualifParameters:
            if (drivers) return {{kQualifParametersCommand, "Qualifying heats Parameters"}};
            break;
        case node::kQualifArrangement:
            if (drivers) return {{kQualifArrangementCommand, "Qualifying heats Arrangement"}};
            break;
        case node::kFinalsParameters:
            if (finals) return {{kFinalsParametersCommand, "Finals runs Parameters"}};
            break;
        case node::kFinalsArrangement:
            if (finals) return {{kFinalsArrangementCommand, "Finals runs Arrangement"}};
            break;
        case node::kClosure:
            if (finals) return {{kClosureReportCommand, "Show the report"}};
            break;
    }
    return {};
}

bool AddCategory(EventHeader& header) {
    if (header.categoryCount >= kCategories) return false;
    CategoryRecord& cat = header.categories[std::size_t(header.categoryCount)];
    cat = CategoryRecord{};
    Format(cat.name, "CATEGORY %d", header.categoryCount + 1);
    ++header.categoryCount;
    return true;
}

bool RenameCategory(EventHeader& header, int code, std::string_view typed) {
    int category = code / 10000;
    if (NormalizedCode(code) != 10000 || category < 1 || category > kCategories) return false;
    header.categories[std::size_t(category - 1)].name = typed.substr(0, kCategoryNameLimit);
    return true;
}

}  // namespace velkaro
