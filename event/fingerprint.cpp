#include "event/fingerprint.h"

#include <memory>

namespace velkaro {

std::uint64_t FileFingerprint(std::string_view name, Disk& disk) {
    std::unique_ptr<DiskFile> file = disk.Open(name, OpenMode::Read);
    if (!file) return 0;
    // FNV-1a, seeded with the length so that an empty file is not one that cannot be read.
    std::string_view bytes = file->Contents();
    std::uint64_t h = 14695981039346656037ULL ^ bytes.size();
    for (char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h == 0 ? 1 : h;
}

}  // namespace velkaro
