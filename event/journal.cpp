#include "event/journal.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>

namespace velkaro {

// The event file is changed in place, a few kilobytes inside tens of megabytes, so copying it
// whole for each change is out of the question. Instead every change goes through a rollback
// journal beside the file:
//   1. the journal receives the file's length and the present bytes of every range about to
//      change, closed by a checksum, and is flushed;
//   2. the new bytes are written in place and flushed;
//   3. the journal's head is zeroed and flushed: from this moment the change is permanent.
// A crash before 3 leaves a complete journal (whose checksum holds) or an incomplete one. A
// complete journal is played back at the next opening: the old bytes go back and the file is
// cut to its old length, which gives the file as before whatever part of step 2 reached the
// disk (and, for a journal flushed just before the crash, the bytes already there). An
// incomplete journal means step 2 never began, so it is ignored. Playing back is
// idempotent, so a crash during a roll-back is undone by the next one. The bytes the file
// ends with are exactly those the in-place writes give: the journal adds none to the file.
//
// Once the change is settled, made or undone, the journal is removed: nothing is left beside the
// file between changes. The removal is not flushed; a journal that a power cut brings back has
// its head zeroed and is removed at the next opening. What an earlier journal left behind can
// never pass for a complete one: its head was zeroed, and each journal carries a fresh nonce
// with no zero byte under its checksum, so a new journal cut short over an old one matches
// neither.

namespace {

constexpr char kMagic[8] = {'V', 'R', 'M', 'J', 'R', 'N', 'L', '2'};
constexpr std::size_t kHead = 24;   // magic, length, nonce: zeroed once the change is made
constexpr std::size_t kFixed = 48;  // the head, the old size, the range count and the checksum

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void SetU64(std::string& out, std::size_t at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint64_t GetU64(std::string_view in, std::size_t at) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) {
        v |= std::uint64_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    return v;
}

std::uint64_t Nonce() {
    std::random_device random;
    std::uint64_t n = (std::uint64_t(random()) << 32) ^ random();
    for (int i = 0; i < 8; ++i) {
        if (((n >> (8 * i)) & 0xFF) == 0) n |= std::uint64_t(1) << (8 * i);
    }
    return n;
}

struct SavedRange {
    std::uint64_t offset;
    std::string_view bytes;
};

struct Journal {
    std::uint64_t sizeBefore = 0;
    std::vector<SavedRange> ranges;
};

std::string BuildJournal(std::string_view before, const std::vector<Patch>& patches) {
    std::string j(kMagic, sizeof kMagic);
    PutU64(j, 0);  // the length, known at the end
    PutU64(j, Nonce());
    PutU64(j, before.size());
    PutU64(j, patches.size());
    for (const Patch& p : patches) {
        // Only what existed needs saving: cutting the file back removes the rest.
        std::uint64_t from = std::min<std::uint64_t>(p.offset, before.size());
        std::uint64_t to = std::min<std::uint64_t>(p.offset + p.bytes.size(), before.size());
        PutU64(j, from);
        PutU64(j, to - from);
        j.append(before.substr(from, to - from));
    }
    SetU64(j, 8, j.size() + 8);
    PutU64(j, Fnv1a(j));
    return j;
}

// A journal whose checksum holds over the length its head gives; what follows is left over
// from a longer earlier journal.
std::optional<Journal> ParseJournal(std::string_view j) {
    if (j.size() < kFixed || std::memcmp(j.data(), kMagic, sizeof kMagic) != 0) {
        return std::nullopt;
    }
    std::uint64_t length = GetU64(j, 8);
    if (length < kFixed || length > j.size()) return std::nullopt;
    std::size_t end = static_cast<std::size_t>(length) - 8;
    if (GetU64(j, end) != Fnv1a(j.substr(0, end))) return std::nullopt;
    Journal out;
    out.sizeBefore = GetU64(j, 24);
    std::uint64_t count = GetU64(j, 32);
    std::size_t at = 40;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (end - at < 16) return std::nullopt;
        std::uint64_t offset = GetU64(j, at), size = GetU64(j, at + 8);
        at += 16;
        if (size > end - at) return std::nullopt;
        out.ranges.push_back({offset, j.substr(at, size)});
        at += size;
    }
    if (at != end) return std::nullopt;
    return out;
}

bool Restore(DiskFile& file, const Journal& journal) {
    for (const SavedRange& r : journal.ranges) {
        if (!file.Write(r.offset, r.bytes)) return false;
    }
    return file.Truncate(journal.sizeBefore) && file.Sync();
}

bool Settle(DiskFile& journal) {
    return journal.Write(0, std::string(kHead, '\0')) && journal.Sync();
}

}  // namespace

std::string JournalName(std::string_view file) {
    return std::string(file) + "-journal";
}

bool CommitPatches(Disk& disk, std::string_view name, DiskFile& file, std::string_view before,
                   const std::vector<Patch>& patches) {
    if (patches.empty()) return true;
    const std::string journalName = JournalName(name);
    const std::string saved = BuildJournal(before, patches);

    bool existed = disk.Exists(journalName);
    std::unique_ptr<DiskFile> journal =
        disk.Open(journalName, existed ? OpenMode::Existing : OpenMode::CreateEmpty);
    // Until the journal is on the disk the file is untouched; a journal written but not
    // flushed at worst puts back the bytes the file still holds.
    if (!journal || !journal->Write(0, saved) || !journal->Sync() ||
        (!existed && !disk.SyncFolder(journalName))) {
        // The file is untouched: what reached the journal can go.
        const DiskFault cause = disk.LastFault();
        journal.reset();
        disk.Remove(journalName);
        return disk.Fail(cause);
    }

    bool applied = true;
    for (const Patch& p : patches) {
        if (!file.Write(p.offset, p.bytes)) {
            applied = false;
            break;
        }
    }
    if (applied && file.Sync() && Settle(*journal)) {
        journal.reset();
        disk.Remove(journalName);
        return true;
    }

    // A failed write (a full disk, say): undo now rather than at the next opening. Should the
    // undo fail too, the journal stays complete and the next opening plays it back. The user
    // learns why the write failed, not how the undo went.
    const DiskFault cause = disk.LastFault();
    std::optional<Journal> parsed = ParseJournal(saved);
    if (parsed && Restore(file, *parsed) && Settle(*journal)) {
        journal.reset();
        disk.Remove(journalName);
    }
    return disk.Fail(cause);
}

bool RollBackInterruptedChange(Disk& disk, std::string_view name) {
    const std::string journalName = JournalName(name);
    if (!disk.Exists(journalName)) return true;
    std::unique_ptr<DiskFile> journal = disk.Open(journalName, OpenMode::Existing);
    if (!journal) return false;
    std::optional<Journal> parsed = ParseJournal(journal->Contents());
    if (parsed) {
        // Without the file there is nothing to put back.
        if (std::unique_ptr<DiskFile> file = disk.Open(name, OpenMode::Existing)) {
            if (!Restore(*file, *parsed)) return false;
        }
        if (!Settle(*journal)) return false;
    }
    // Settled, or never complete: nothing in it is wanted any more. Should the removal fail,
    // what stays is harmless.
    journal.reset();
    disk.Remove(journalName);
    return true;
}

bool ChangePending(Disk& disk, std::string_view name) {
    const std::string journalName = JournalName(name);
    if (!disk.Exists(journalName)) return false;
    std::unique_ptr<DiskFile> journal = disk.Open(journalName, OpenMode::Existing);
    return journal && ParseJournal(journal->Contents()).has_value();
}

}  // namespace velkaro
