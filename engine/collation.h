#pragma once
// Sort weights of code page 852 bytes for index keys. Keys are compared byte
// by byte after mapping, so the mapping decides the order of a tag:
// control characters, blank, digits and punctuation first (in byte order),
// then letters alphabetically with upper and lower case folded together and
// each accented letter right after its base letter (A Á Ä B C Ć Č ...), then
// the remaining characters. Case folding means a tag finds "kovács" where
// "KOVÁCS" was typed; exact comparisons check the field itself afterwards.

#include <cstddef>
#include <cstdint>

namespace engine {

const std::uint8_t* collationWeights852();

// True when the byte's weight equals the byte and sorts below every letter:
// such text orders the same in a tag as in plain byte comparison.
inline bool isOrderNeutral(std::uint8_t b) {
    return b < 0x41;
}

// True when every byte is a blank, a digit or punctuation below the letters:
// such text is its own key, and orders the same in a tag as byte by byte,
// padding included (no byte sorts below the blank that pads a key).
inline bool weighsAsItself(const char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (std::uint8_t(p[i]) < 0x20 || !isOrderNeutral(std::uint8_t(p[i]))) return false;
    return true;
}

} // namespace engine
