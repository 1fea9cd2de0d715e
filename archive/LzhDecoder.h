#pragma once

#include <cstddef>
#include <cstdint>

namespace kiro::lzh {

// Produces one member's uncompressed bytes piece by piece.
class LzhDecoder {
public:
    virtual ~LzhDecoder() = default;

    // Writes up to size bytes to out and returns how many were written.
    // Compressed methods always fill the piece (past the packed data they
    // read 1-bits, and overran() says so); a stored member returns fewer
    // bytes when its data ends early.
    virtual std::size_t read(std::uint8_t* out, std::size_t size) = 0;

    // True once decoding has used bits beyond the member's packed data.
    virtual bool overran() const { return false; }
};

} // namespace kiro::lzh
