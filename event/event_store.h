#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "event/event_model.h"
#include "event/journal.h"
#include "platform/disk.h"
#include "platform/messages.h"

namespace velkaro {

enum class FileOutcome;

// The working copy and the disk it is written through. Every change to it is a Transaction:
// the sections it puts are laid one after the other over the bytes as they will be, and the
// whole goes to the disk in one journal commit, so that a crash leaves every one of them or
// none.
class EventStore {
  public:
    explicit EventStore(Disk& disk, std::string_view path = kWorkingCopy)
        : disk_(&disk), path_(path) {}

    Disk& disk() const { return *disk_; }
    const std::string& path() const { return path_; }

  private:
    Disk* disk_;
    std::string path_;
};

class Transaction {
  public:
    // Opens the working copy, putting back first a change that a crash interrupted.
    explicit Transaction(const EventStore& store);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Unavailable when the file could not be opened, NoSection once a put could not find its
    // title (nothing is then committed), Done otherwise.
    FileOutcome Outcome() const;

    // The file as it will be once committed.
    std::string_view Bytes();

    // A section with a reservation of `pairs`: found, its body is rewritten; missing and
    // `mayCreate`, it is appended. A title that cannot be found is told with `notFound` and
    // spoils the transaction.
    bool PutSection(std::string_view title, int pairs, std::string_view content,
                    std::string_view notFound, Messages& messages, bool mayCreate = true);
    // The region at the top of the file that holds no title (the event header).
    void PutTop(int pairs, std::string_view content);
    // Bytes laid over the file as it will be, at `offset`, within its present length.
    void Overwrite(std::size_t offset, std::string_view bytes);

    // Writes every put in one journal commit. Nothing put: Done without touching the disk.
    FileOutcome Commit();

    Disk& disk() const { return *disk_; }

  private:
    template <typename Plan>
    bool Lay(Plan&& plan);
    void Apply(Patch patch, bool growsToEnd);
    void Materialize();

    Disk* disk_;
    std::string path_;
    std::unique_ptr<DiskFile> file_;
    std::string_view before_;
    bool opened_ = false;
    bool spoiled_ = false;
    // Until a second put needs the bytes as they will be, the first one stays a patch over the
    // mapped file: a one-section change copies nothing.
    bool materialized_ = false;
    std::string after_;
    std::vector<Patch> patches_;                              // before materializing: at most one
    std::vector<std::pair<std::size_t, std::size_t>> dirty_;  // after materializing
};

}  // namespace velkaro
