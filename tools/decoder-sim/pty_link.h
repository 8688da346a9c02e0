#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkaro::sim {

// The decoder's end of the serial line: a pseudo-terminal whose other end the program opens
// through the program folder's entry ports/COMn. Dropping the link closes the pseudo-terminal, so
// that the program's writes reach nothing, and leaves the entry pointing nowhere; restoring it
// makes a new one and moves the entry.
class PtyLink {
  public:
    PtyLink(std::string programFolder, int port);
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // The entry must be free, or be one this simulator left behind: a user's own link to a real
    // adapter is never replaced.
    bool CheckEntry(std::string* error) const;
    bool Open(std::string* error);
    void Drop();
    bool IsUp() const { return master_ >= 0; }

    int Fd() const { return master_; }
    const std::string& Device() const { return device_; }
    const std::string& Entry() const { return entry_; }

    // What fits in the line now; the rest is lost, as on a wire nobody listens to.
    std::size_t Write(const std::uint8_t* bytes, std::size_t count);
    // What the program wrote; 0 when nothing waits.
    std::size_t Read(std::uint8_t* bytes, std::size_t max);

  private:
    bool PointEntryAt(const std::string& target, std::string* error);
    bool EntryIsOurs() const;

    std::string folder_;
    std::string entry_;
    std::string device_;
    int master_ = -1;
    int slave_ = -1;  // held so that the line stays up while the program has it closed
};

}  // namespace velkaro::sim
