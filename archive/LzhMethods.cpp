#include "archive/LzhMethods.h"

#include "archive/AdaptiveHuffmanCodec.h"
#include "archive/BlockHuffmanCodec.h"
#include "archive/LarcCodec.h"
#include "archive/LzDecoder.h"
#include "archive/StaticHuffmanCodec.h"
#include "archive/StoredDecoder.h"

#include <vector>

namespace kiro::lzh {
namespace {

using Input = std::span<const std::uint8_t>;

std::vector<std::uint8_t> spaces(unsigned bits)
{
    return std::vector<std::uint8_t>(std::size_t{1} << bits, 0x20);
}

std::unique_ptr<LzhDecoder> stored(Input input)
{
    return std::make_unique<StoredDecoder>(input);
}

template <AdaptiveHuffmanCodec::Variant V, unsigned Bits>
std::unique_ptr<LzhDecoder> adaptive(Input input)
{
    return std::make_unique<LzDecoder<AdaptiveHuffmanCodec>>(input, Bits, spaces(Bits), AdaptiveHuffmanCodec(V));
}

std::unique_ptr<LzhDecoder> staticHuffman(Input input)
{
    return std::make_unique<LzDecoder<StaticHuffmanCodec>>(input, 13, spaces(13), StaticHuffmanCodec());
}

// -lh4- and -lh5- share 14 distance codes sent with a 4-bit count; only the
// dictionary differs.
template <unsigned Bits>
std::unique_ptr<LzhDecoder> blockHuffman(Input input)
{
    return std::make_unique<LzDecoder<BlockHuffmanCodec>>(input, Bits, spaces(Bits), BlockHuffmanCodec(14, 4));
}

template <LarcCodec::Variant V, unsigned Bits>
std::unique_ptr<LzhDecoder> larc(Input input)
{
    return std::make_unique<LzDecoder<LarcCodec>>(input, Bits, LarcCodec::initialDictionary(V), LarcCodec(V));
}

constexpr LzhMethod kMethods[] = {
    {"-lh0-", 0, stored},
    {"-lh1-", 4096, adaptive<AdaptiveHuffmanCodec::Variant::Lh1, 12>},
    {"-lh2-", 8192, adaptive<AdaptiveHuffmanCodec::Variant::Lh2, 13>},
    {"-lh3-", 8192, staticHuffman},
    {"-lh4-", 4096, blockHuffman<12>},
    {"-lh5-", 8192, blockHuffman<13>},
    {"-lzs-", 2048, larc<LarcCodec::Variant::Lzs, 11>},
    {"-lz5-", 4096, larc<LarcCodec::Variant::Lz5, 12>},
    {"-lz4-", 0, stored},
};

} // namespace

const LzhMethod* findMethod(std::string_view text)
{
    for (const LzhMethod& method : kMethods) {
        if (method.text == text) {
            return &method;
        }
    }
    return nullptr;
}

bool isDirectoryMethod(std::string_view text)
{
    return text == "-lhd-";
}

std::unique_ptr<LzhDecoder> makeDecoder(const LzhMethod& method, std::span<const std::uint8_t> input)
{
    return method.makeDecoder(input);
}

} // namespace kiro::lzh
