#include "tools/decoder-sim/line.h"

#include <algorithm>

namespace velkaro::sim {

Line::Line(int baud, int chunkMin, int chunkMax, std::uint32_t seed)
    : byteNs_(baud > 0 ? 10'000'000'000LL / baud : 0),
      chunkMin_(chunkMin),
      chunkMax_(chunkMax),
      random_(seed) {
    DrawPiece();
}

void Line::DrawPiece() {
    if (chunkMax_ <= 0) return;
    piece_ = std::uniform_int_distribution<std::size_t>(
        static_cast<std::size_t>(chunkMin_), static_cast<std::size_t>(chunkMax_))(random_);
}

void Line::Send(const std::uint8_t* bytes, std::size_t count, std::int64_t nowUs) {
    lineFreeNs_ = std::max(lineFreeNs_, nowUs * 1000);
    for (std::size_t i = 0; i < count; ++i) {
        lineFreeNs_ += byteNs_;
        bytes_.push_back({lineFreeNs_ / 1000, bytes[i]});
    }
}

bool Line::Due(std::int64_t nowUs, std::vector<std::uint8_t>* piece) {
    bool chunked = chunkMax_ > 0;
    std::size_t limit = chunked ? std::min(piece_, bytes_.size()) : bytes_.size();
    std::size_t arrived = 0;
    while (arrived < limit && bytes_[arrived].atUs <= nowUs) ++arrived;
    // A piece goes when it is full, or short when the line falls silent.
    if (arrived == 0 || (chunked && arrived < piece_ && arrived < bytes_.size())) return false;
    piece->clear();
    for (std::size_t i = 0; i < arrived; ++i) piece->push_back(bytes_[i].value);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<long>(arrived));
    DrawPiece();
    return true;
}

std::int64_t Line::NextDueUs() const {
    if (bytes_.empty()) return -1;
    std::size_t last = chunkMax_ > 0 ? std::min(piece_, bytes_.size()) : 1;
    return bytes_[last - 1].atUs;
}

void Line::Clear() {
    bytes_.clear();
}

}  // namespace velkaro::sim
