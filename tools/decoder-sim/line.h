#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

namespace velkaro::sim {

// The decoder's bytes on their way to the program. Paced, they leave at the line's speed, 10 bits
// a byte (start, 8 data, stop): at 9600 baud one every 1.04 ms. Chunked, they reach the program in
// pieces of random sizes, as a USB serial adapter hands them over, cutting messages anywhere; a
// piece that does not fill goes when the line falls silent. Neither: each write goes whole at once.
class Line {
  public:
    Line(int baud, int chunkMin, int chunkMax, std::uint32_t seed);

    // Bytes the decoder sends at nowUs, behind those still on the line.
    void Send(const std::uint8_t* bytes, std::size_t count, std::int64_t nowUs);
    // The next piece the program gets by nowUs; false when none is due.
    bool Due(std::int64_t nowUs, std::vector<std::uint8_t>* piece);
    // When the next piece is due; -1 when nothing waits.
    std::int64_t NextDueUs() const;
    // Bytes not handed over yet; Clear loses them, as a link that drops does.
    std::size_t Waiting() const { return bytes_.size(); }
    void Clear();

  private:
    struct Byte {
        std::int64_t atUs;  // when its stop bit is through
        std::uint8_t value;
    };
    void DrawPiece();

    std::int64_t byteNs_;      // 0: unpaced
    int chunkMin_, chunkMax_;  // 0: unchunked, every byte there is goes at once
    std::mt19937 random_;
    std::deque<Byte> bytes_;
    std::int64_t lineFreeNs_ = 0;  // when the last byte sent is through
    std::size_t piece_ = 0;        // the size of the piece being gathered
};

}  // namespace velkaro::sim
