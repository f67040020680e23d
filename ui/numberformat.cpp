#include "ui/numberformat.h"

#include <QByteArray>
#include <cmath>
#include <string>

namespace ui {

namespace {

// Digits of the integer part grouped by three from the right with blanks.
QString grouped(const std::string& digits) {
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += QLatin1Char(' ');
        out += QLatin1Char(digits[i]);
    }
    return out;
}

} // namespace

QString formatNumber(double value, int decimals) {
    if (!std::isfinite(value)) return QString::number(value);
    if (decimals < 0) decimals = 0;

    // |value| as 15 significant digits d.dddddddddddddd and a power of ten.
    // (QByteArray::number ignores the C locale, which Qt sets from the system.)
    const QByteArray e = QByteArray::number(std::fabs(value), 'e', 14);
    std::string mantissa(1, e[0]);
    mantissa.append(e.constData() + 2, 14);
    const int exponent = e.mid(e.indexOf('e') + 1).toInt();

    // all = the digits, point = how many of them stand before the decimal comma.
    std::string all;
    int point;
    if (exponent < 0) {
        all = std::string(-exponent - 1, '0') + mantissa;
        point = 0;
    } else {
        all = mantissa;
        point = exponent + 1;
        if (int(all.size()) < point) all.append(point - all.size(), '0');
    }

    const int keep = point + decimals;
    if (int(all.size()) < keep) all.append(keep - all.size(), '0');
    const bool roundUp = int(all.size()) > keep && all[keep] >= '5';
    all.resize(keep);
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && all[i] == '9')
            all[i--] = '0';
        if (i >= 0) {
            ++all[i];
        } else {
            all.insert(all.begin(), '1');
            ++point;
        }
    }

    std::string intDigits = all.substr(0, point);
    const std::size_t firstNonZero = intDigits.find_first_not_of('0');
    intDigits = firstNonZero == std::string::npos ? "0" : intDigits.substr(firstNonZero);
    const std::string fraction = all.substr(point);

    QString out;
    if (value < 0 && all.find_first_not_of('0') != std::string::npos) out += QLatin1Char('-');
    out += grouped(intDigits);
    if (decimals > 0) out += QLatin1Char(',') + QString::fromLatin1(fraction);
    return out;
}

QString formatInteger(long long value) {
    const unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    const QString digits = grouped(std::to_string(magnitude));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

} // namespace ui
