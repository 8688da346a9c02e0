#include "event/event_tree.h"

#include <algorithm>

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
        // Validated: the finals were arranged from it.
        Add(nodes, base + node::kOverall,
            cat.finalsState > 0 ? "Overall classific. (validated)" : "Overall classific.",
            kImageClassification, classifications);
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
    Add(nodes, base + node::kClosure, "Closure report", kImageClassification, self);
}

// A round's own node: 100 (r - 1) past the rounds' code, no heat.
bool IsRoundFolder(int kind) {
    return kind >= node::kRounds && kind < node::kRounds + 100 * kRounds && kind % 100 == 0;
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
    if (code == node::kTrack) return {{CommandId::Track}};
    const int category = code / 10000;
    if (category < 1 || category > kCategories) return {};
    if (KindOf(code) == NodeKind::FinalsRun) return {{CommandId::SwapLanes}};
    const CategoryRecord& cat = header.categories[std::size_t(category - 1)];
    const bool drivers = cat.participants > 0;
    const bool finals = cat.finalsState > 0;
    const bool rounds = cat.rounds > 0;
    const int kind = code % 10000;
    if (kind == 0) {
        return {{CommandId::NewCategory, header.categoryCount < kCategories},
                {CommandId::RenameCategory}};
    }
    if (IsRoundFolder(kind)) return {{CommandId::RoundClassification}};
    if (kind > node::kClassifications && kind <= node::kClassifications + kRounds) {
        return {{CommandId::RoundClassification, kind - node::kClassifications <= cat.rounds}};
    }
    switch (kind) {
        case node::kDrivers:
            return {{CommandId::Participants}};
        case node::kQualification:
            return {{CommandId::Participants},
                    {CommandId::QualifParameters, drivers},
                    {CommandId::QualifArrangement, drivers}};
        case node::kQualifParameters:
            return {{CommandId::QualifParameters, drivers}};
        case node::kQualifArrangement:
            return {{CommandId::QualifArrangement, drivers}};
        case node::kClassifications:
        case node::kOverall:
            return {{CommandId::OverallClassification, rounds}};
        case node::kFinals:
            return {{CommandId::FinalsParameters, finals},
                    {CommandId::FinalsArrangement, finals},
                    {CommandId::ClosureReport, finals}};
        case node::kFinalsParameters:
            return {{CommandId::FinalsParameters, finals}};
        case node::kFinalsArrangement:
            return {{CommandId::FinalsArrangement, finals}};
        case node::kClosure:
            return {{CommandId::ClosureReport, finals}};
    }
    return {};
}

int EventCommandNode(CommandId id, int selected) {
    if (id == CommandId::Track) return node::kTrack;
    const int base = selected / 10000 * 10000;
    if (base < 10000 || base > kCategories * 10000) return 0;
    const int kind = selected % 10000;
    switch (id) {
        case CommandId::NewCategory:
        case CommandId::RenameCategory:
            return base;
        case CommandId::Participants:
            return base + node::kDrivers;
        case CommandId::QualifParameters:
            return base + node::kQualifParameters;
        case CommandId::QualifArrangement:
            return base + node::kQualifArrangement;
        case CommandId::RoundClassification:
            if (IsRoundFolder(kind) || KindOf(selected) == NodeKind::Heat) {
                return base + node::kClassifications + (kind - node::kRounds) / 100 + 1;
            }
            if (KindOf(selected) == NodeKind::RoundClassification) return selected;
            return 0;
        case CommandId::OverallClassification:
            return base + node::kOverall;
        case CommandId::FinalsParameters:
            return base + node::kFinalsParameters;
        case CommandId::FinalsArrangement:
            return base + node::kFinalsArrangement;
        case CommandId::ClosureReport:
            return base + node::kClosure;
        default:
            return 0;
    }
}

bool EventCommandEnabled(const EventHeader& header, int selected, CommandId id) {
    const int at = EventCommandNode(id, selected);
    if (at == 0 || at / 10000 > header.categoryCount) return false;
    for (const PopupEntry& e : PopupEntries(header, at)) {
        if (e.id == id) return e.enabled;
    }
    return false;
}

std::optional<CommandId> OpenCommand(const EventHeader& header, int code) {
    if (KindOf(code) == NodeKind::Driver) return CommandId::DriverDetails;
    const int kind = code % 10000;
    const bool folder =
        code >= 10000 && (kind == 0 || kind == node::kQualification || IsRoundFolder(kind) ||
                          kind == node::kClassifications || kind == node::kFinals);
    std::vector<PopupEntry> entries = PopupEntries(header, code);
    if (folder || entries.size() != 1 || !entries[0].enabled) return std::nullopt;
    return entries[0].id;
}

int AdjacentRun(const EventModel& event, int selected, int step) {
    const int category = selected / 10000;
    if (category < 1 || category > std::min(event.header.categoryCount, kCategories)) return 0;
    std::vector<int> runs;
    for (const TreeNode& n : BuildCategorySubtree(event, category)) {
        if (KindOf(n.code) == NodeKind::Heat || KindOf(n.code) == NodeKind::FinalsRun) {
            runs.push_back(n.code);
        }
    }
    const auto at = std::find(runs.begin(), runs.end(), selected);
    if (at == runs.end()) return step > 0 && !runs.empty() ? runs.front() : 0;
    const auto index = at - runs.begin() + step;
    return index >= 0 && index < std::ssize(runs) ? runs[std::size_t(index)] : 0;
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
