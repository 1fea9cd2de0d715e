#include "client/app/Scramble.h"

#include "common/CrtRand.h"

#include <cstdint>
#include <vector>

namespace kiro::app {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string ScrambleText(std::string_view plain)
{
    if (plain.empty())
        return {};
    const std::size_t n = plain.size();
    CrtRand rng(10u * static_cast<unsigned char>(plain[0]));
    std::vector<std::uint8_t> bytes(2 * n + 1);
    std::uint8_t check = 0;
    for (std::size_t i = 0; i < n; ++i) {
        auto value = static_cast<std::uint8_t>(plain[i]);
        auto k = static_cast<std::uint8_t>(rng.rand() % 256);
        bytes[i] = static_cast<std::uint8_t>(value - k);
        bytes[n + i] = k;
        check = static_cast<std::uint8_t>(check + value);
    }
    bytes[2 * n] = check;

    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return out;
}

int UnscrambleText(std::string_view stored, std::string& plain)
{
    if (stored.size() >= 2 && stored.front() == '(' && stored.back() == ')') {
        plain = std::string(stored.substr(1, stored.size() - 2));
        return 0;
    }
    if (stored.empty()) {
        plain.clear();
        return 0;
    }
    // Only a text of exactly 4m + 2 digits can have come from ScrambleText; a
    // hand-written value such as a PIN "0000" must not be taken for an
    // empty scrambled one.
    const std::size_t len = stored.size();
    plain = std::string(stored);
    if (len < 6 || (len - 2) % 4 != 0)
        return 1;
    const std::size_t m = (len / 2 - 1) / 2;
    std::vector<std::uint8_t> bytes(2 * m + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int hi = hexDigit(stored[2 * i]);
        int lo = hexDigit(stored[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return 1;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 2 * m; ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    if (sum != bytes[2 * m])
        return 1;
    std::string out(m, '\0');
    for (std::size_t i = 0; i < m; ++i)
        out[i] = static_cast<char>(static_cast<std::uint8_t>(bytes[i] + bytes[m + i]));
    plain = std::move(out);
    return 0;
}

} // namespace kiro::app
