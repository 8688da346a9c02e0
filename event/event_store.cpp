#include "event/event_store.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "event/event_file.h"
#include "event/section.h"

namespace velkaro {

Transaction::Transaction(const EventStore& store) : disk_(&store.disk()), path_(store.path()) {
    if (!RollBackInterruptedChange(*disk_, path_)) return;
    file_ = disk_->Open(path_, OpenMode::Existing);
    if (!file_) return;
    before_ = file_->Contents();
    opened_ = true;
}

FileOutcome Transaction::Outcome() const {
    if (!opened_) return FileOutcome::Unavailable;
    return spoiled_ ? FileOutcome::NoSection : FileOutcome::Done;
}

std::string_view Transaction::Bytes() {
    if (!materialized_ && patches_.empty()) return before_;
    Materialize();
    return after_;
}

void Transaction::Materialize() {
    if (materialized_) return;
    materialized_ = true;
    after_.assign(before_);
    std::vector<Patch> pending = std::move(patches_);
    patches_.clear();
    for (Patch& p : pending) {
        bool grows = p.offset + p.bytes.size() > before_.size();
        Apply(std::move(p), grows);
    }
}

// Writes over the bytes as they will be, extending them when the patch runs past their end. A
// patch that grows the file runs to its new end, so it covers every change made after it.
void Transaction::Apply(Patch patch, bool growsToEnd) {
    const std::size_t at = patch.offset;
    const std::size_t end = at + patch.bytes.size();
    if (end > after_.size()) after_.resize(end);
    std::memcpy(after_.data() + at, patch.bytes.data(), patch.bytes.size());
    if (growsToEnd) {
        std::erase_if(dirty_, [&](const auto& d) { return d.first >= at; });
    }
    dirty_.emplace_back(at, end);
}

// The bytes before the first change are those of the file as it will be. A plan made over them
// alone that lands wholly before that change, moving nothing, is the plan the whole would give:
// the search found its title there, and the room it measured ended there. Puts made from the
// bottom of the file up (a heat, then the flags, then the header) so spare the copy of the file.
template <typename Plan>
bool Transaction::Lay(Plan&& plan) {
    if (!materialized_) {
        std::size_t firstChange = before_.size();
        for (const Patch& p : patches_) firstChange = std::min<std::size_t>(firstChange, p.offset);
        std::optional<RegionWrite> w = plan(before_.substr(0, firstChange));
        if (patches_.empty() ||
            (w && w->shift == 0 && w->patch.offset + w->patch.bytes.size() < firstChange)) {
            if (!w) return false;
            patches_.push_back(std::move(w->patch));
            return true;
        }
        Materialize();
    }
    std::optional<RegionWrite> w = plan(std::string_view(after_));
    if (!w) return false;
    Apply(std::move(w->patch), w->shift != 0);
    return true;
}

bool Transaction::PutSection(std::string_view title, int pairs, std::string_view content,
                             std::string_view notFound, Messages& messages, bool mayCreate) {
    if (Outcome() != FileOutcome::Done) return false;
    bool laid = Lay([&](std::string_view bytes) -> std::optional<RegionWrite> {
        SectionWrite w = PlanSectionWrite(bytes, title, pairs, content, mayCreate);
        if (!w.written) return std::nullopt;
        return std::move(w.region);
    });
    if (!laid) {
        messages.Error(notFound);
        spoiled_ = true;
    }
    return laid;
}

void Transaction::PutTop(int pairs, std::string_view content) {
    if (Outcome() != FileOutcome::Done) return;
    Lay([&](std::string_view bytes) -> std::optional<RegionWrite> {
        return PlaceRegion(bytes, 0, pairs, content, true);
    });
}

void Transaction::Overwrite(std::size_t offset, std::string_view bytes) {
    if (Outcome() != FileOutcome::Done) return;
    std::size_t size = Bytes().size();
    if (offset >= size) return;
    Apply({offset, std::string(bytes.substr(0, size - offset))}, false);
}

FileOutcome Transaction::Commit() {
    if (Outcome() != FileOutcome::Done) return Outcome();
    std::vector<Patch> patches;
    if (!materialized_) {
        patches = std::move(patches_);
    } else {
        // The changed ranges, merged, each cut to the bytes that really differ.
        std::sort(dirty_.begin(), dirty_.end());
        std::vector<std::pair<std::size_t, std::size_t>> merged;
        for (const auto& d : dirty_) {
            if (!merged.empty() && d.first <= merged.back().second) {
                merged.back().second = std::max(merged.back().second, d.second);
            } else {
                merged.push_back(d);
            }
        }
        for (auto [from, to] : merged) {
            while (from < to && from < before_.size() && after_[from] == before_[from]) ++from;
            while (to > from && to <= before_.size() && after_[to - 1] == before_[to - 1]) --to;
            if (from < to) patches.push_back({from, after_.substr(from, to - from)});
        }
    }
    patches_.clear();
    dirty_.clear();
    materialized_ = false;
    bool ok = CommitPatches(*disk_, path_, *file_, before_, patches);
    opened_ = false;  // the mapping no longer holds the file: one commit per transaction
    return ok ? FileOutcome::Done : FileOutcome::Unavailable;
}

}  // namespace velkaro
