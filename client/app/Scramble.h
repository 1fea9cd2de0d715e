#pragma once

#include <string>
#include <string_view>

// The stored form of NiftyPassWord, KiroPassWord and CardNo. The bytes are
// the value's code page 932 bytes; the key stream comes from the Microsoft
// runtime's rand seeded with 10 x the first byte, so a value stored here is
// byte for byte what the original program stored.
namespace kiro::app {

// n bytes become 4n + 2 capital hex digits: n scrambled bytes, n key bytes and
// a check byte (the sum of the plain bytes). An empty value stays empty.
std::string ScrambleText(std::string_view plain);

// Restores a stored value into plain and returns 0; a value written by hand
// as "(text)" gives text. When the text is not a scrambled value (wrong
// length, not hex, check byte wrong) plain is the stored text unchanged and
// the result is 1.
int UnscrambleText(std::string_view stored, std::string& plain);

} // namespace kiro::app
