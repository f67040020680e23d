#include "reports/counties.h"

#include <array>

namespace reports {

namespace {

const std::array<const char*, 20> kCounties = {
    "01  BARANYA MEGYE",
    "02  BÁCS-KISKUN MEGYE",
    "03  BÉKÉS MEGYE",
    "04  BORSOD-ABAUJ-ZEMPLÉN MEGYE",
    "05  CSONGRÁD MEGYE",
    "06  FEJÉR MEGYE",
    "07  GYŐR-MOSON-SOPRON MEGYE",
    "08  HAJDU-BIHAR MEGYE",
    "09  HEVES MEGYE",
    "10  KOMÁROM-ESZTERGOM MEGYE",
    "11  NÓGRÁD MEGYE",
    "12  PEST MEGYE",
    "13  SOMOGY MEGYE",
    "14  SZABOLCS-SZATMÁR-BEREG MEGYE",
    "15  JÁSZ-NAGYKUN-SZOLNOK MEGYE",
    "16  TOLNA MEGYE",
    "17  VAS MEGYE",
    "18  VESZPRÉM MEGYE",
    "19  ZALA MEGYE",
    "20  BUDAPEST",
};

} // namespace

QString countyEntry(int code) {
    if (code < 1 || code > 20) return QString();
    return QString::fromUtf8(kCounties[size_t(code - 1)]).leftJustified(32, QLatin1Char(' '));
}

QString countyName(int code) {
    const QString e = countyEntry(code);
    if (e.isEmpty()) return e;
    QString name = e.mid(4, 33);
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

} // namespace reports
