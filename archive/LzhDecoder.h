#pragma once

#include <cstddef>
#include <cstdint>

namespace kiro::lzh {

// Produces one member's uncompressed bytes piece by piece.
class LzhDecoder {
public:
    virtual ~LzhDecoder() = default;

    // Writes up to size bytes to out and returns how many were written.
    // Compressed methods always fill the piece (decoding never runs out of
    // input); a stored member returns fewer bytes when its data ends early.
    virtual std::size_t read(std::uint8_t* out, std::size_t size) = 0;
};

} // namespace kiro::lzh
