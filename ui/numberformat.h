#pragma once
// Amounts and counts as the user reads them, whatever the machine's locale:
// decimal comma, thousands grouped with a blank ("1 234 567,50", "-1 234",
// "0,0").

#include <QString>
#include <concepts>

namespace ui {

// Rounded half away from zero to the given number of decimals (0 or more),
// on the value's first 15 significant digits, so that 2.675 shows "2,68"
// although the double lies a hair below. A result of zero never carries a
// minus sign.
QString formatNumber(double value, int decimals);

QString formatInteger(long long value);

template <std::integral T> QString formatNumber(T value) {
    return formatInteger(static_cast<long long>(value));
}

} // namespace ui
