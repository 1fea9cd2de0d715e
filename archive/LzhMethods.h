#pragma once

#include "archive/LzhDecoder.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace kiro::lzh {

// One entry of the method table. Stored and compressed methods alike hand
// out a decoder; the variants of one family differ only in parameters.
struct LzhMethod {
    std::string_view text;        // "-lh5-"
    unsigned dictionaryBytes;     // 0 for stored
    std::unique_ptr<LzhDecoder> (*makeDecoder)(std::span<const std::uint8_t> input);
};

// The method with this 5-character text, or nullptr when the extractor does
// not know it.
const LzhMethod* findMethod(std::string_view text);

// True for "-lhd-": a folder entry, which carries no data.
bool isDirectoryMethod(std::string_view text);

// The decoder for a member whose packed data is input (exactly its packed
// size; decoding past it is reported by the decoder's overran()).
std::unique_ptr<LzhDecoder> makeDecoder(const LzhMethod& method, std::span<const std::uint8_t> input);

} // namespace kiro::lzh
