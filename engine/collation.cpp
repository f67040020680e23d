#include "engine/collation.h"

#include "engine/codepage.h"

#include <QChar>
#include <QString>
#include <algorithm>
#include <array>
#include <tuple>

namespace engine {

namespace {

// The letter an accented letter sorts with, upper case; 0 when not a letter.
char16_t baseLetter(QChar c) {
    if (!c.isLetter()) return 0;
    QChar u = c.toUpper();
    const QString d = u.decomposition();
    if (!d.isEmpty() && d.at(0).unicode() < 128 && d.at(0).isLetter()) u = d.at(0);
    switch (u.unicode()) {
    case 0x0141:
        return 'L'; // Ł
    case 0x0110:
        return 'D'; // Đ
    case 0x00DF:
        return 'S'; // ß
    default:
        break;
    }
    if (u.unicode() >= 'A' && u.unicode() <= 'Z') return u.unicode();
    return 0;
}

std::array<std::uint8_t, 256> makeWeights() {
    struct Item {
        int group;
        int base;
        int variant;
        int byte;
    };
    std::array<Item, 256> items{};
    for (int b = 0; b < 256; ++b) {
        const char ch = char(b);
        const QChar c = decode852(&ch, 1).at(0);
        Item it{0, b, 0, b};
        if (b < 0x41) {
            it = {0, b, 0, b};
        } else if (char16_t base = baseLetter(c)) {
            const char16_t up = c.toUpper().unicode();
            it = {1, base, up == base ? 0 : up, b};
        } else {
            it = {2, b, 0, b};
        }
        items[size_t(b)] = it;
    }
    std::array<Item, 256> sorted = items;
    std::sort(sorted.begin(), sorted.end(), [](const Item& a, const Item& b) {
        return std::tie(a.group, a.base, a.variant, a.byte) <
               std::tie(b.group, b.base, b.variant, b.byte);
    });
    std::array<std::uint8_t, 256> w{};
    int next = -1;
    const Item* prev = nullptr;
    for (const Item& it : sorted) {
        const bool same = prev && prev->group == 1 && it.group == 1 && prev->base == it.base &&
                          prev->variant == it.variant;
        if (!same) ++next;
        w[size_t(it.byte)] = std::uint8_t(next);
        prev = &it;
    }
    return w;
}

} // namespace

const std::uint8_t* collationWeights852() {
    static const std::array<std::uint8_t, 256> weights = makeWeights();
    return weights.data();
}

} // namespace engine
