#include "event/event_store.h"

#include <algorithm>
#include <cstring>

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
    for (Patch& p : pending) Apply(std::move(p), false);
}

// Writes over the bytes as they will be, extending them when the patch runs past their end. A
// patch that grows the file runs to its new end, so it covers every change made after it.
void Transaction::Apply(Patch patch, bool growsToEnd) {
    if (!materialized_ && patches_.empty()) {
        patches_.push_back(std::move(patch));
        return;
    }
    Materialize();
    const std::size_t at = patch.offset;
    const std::size_t end = at + patch.bytes.size();
    if (end > after_.size()) after_.resize(end);
    std::memcpy(after_.data() + at, patch.bytes.data(), patch.bytes.size());
    if (growsToEnd) {
        std::erase_if(dirty_, [&](const auto& d) { return d.first >= at; });
    }
    dirty_.emplace_back(at, end);
}

bool Transaction::PutSection(std::string_view title, int pairs, std::string_view content,
                             std::string_view notFound, Messages& messages, bool mayCreate) {
    if (Outcome() != FileOutcome::Done) return false;
    SectionWrite w = PlanSectionWrite(Bytes(), title, pairs, content, mayCreate);
    if (!w.written) {
        messages.Error(notFound);
        spoiled_ = true;
        return false;
    }
    Apply(std::move(w.region.patch), w.region.shift != 0);
    return true;
}

void Transaction::PutTop(int pairs, std::string_view content) {
    if (Outcome() != FileOutcome::Done) return;
    RegionWrite w = PlaceRegion(Bytes(), 0, pairs, content, true);
    Apply(std::move(w.patch), w.shift != 0);
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
