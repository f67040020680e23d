#pragma once
// Sort weights of code page 852 bytes for index keys. Keys are compared byte
// by byte after mapping, so the mapping decides the order of a tag:
// control characters, blank, digits and punctuation first (in byte order),
// then letters alphabetically with upper and lower case folded together and
// each accented letter right after its base letter (A Á Ä B C Ć Č ...), then
// the remaining characters. Case folding means a tag finds "kovács" where
// "KOVÁCS" was typed; exact comparisons check the field itself afterwards.

#include <cstdint>

namespace engine {

const std::uint8_t* collationWeights852();

// True when the byte's weight equals the byte and sorts below every letter:
// such text orders the same in a tag as in plain byte comparison.
inline bool isOrderNeutral(std::uint8_t b) {
    return b < 0x41;
}

} // namespace engine
