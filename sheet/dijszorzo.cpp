#include "sheet/dijszorzo.h"

namespace sheet {

namespace {

// A number field as SQL gives it (integer, real or text); nullopt when blank.
std::optional<double> szam(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return std::nullopt;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return d;
}

} // namespace

std::optional<double> dijszorzo(DijSor sor, int onkep) {
    // Rows in the order of DijSor, columns ONKEP 1, 2, 3 (0: no cell).
    static constexpr double tabla[5][3] = {
        {1.0, 0.9, 0.8}, {0.9, 0.7, 0.5}, {0.9, 0.8, 0.0}, {0.8, 0.7, 0.0}, {0.9, 0.8, 0.0}};
    if (onkep < 1 || onkep > 3) return std::nullopt;
    const double w = tabla[int(sor)][onkep - 1];
    if (w == 0.0) return std::nullopt;
    return w;
}

bool elsoRendeles(const QVariant& elszam) {
    const std::optional<double> e = szam(elszam);
    return e && *e == 1.0;
}

std::optional<DijSor> dijsor(const QVariant& elszam, const QVariant& elltip,
                             const QString& idoszak) {
    const std::optional<double> t = szam(elltip);
    if (!t || *t < 2.0) return std::nullopt;
    const bool elso = elsoRendeles(elszam);
    if (*t == 2.0) return elso ? DijSor::ElsoApolas : DijSor::IsmeteltApolas;
    if (elso) return DijSor::ElsoSzakirany;
    return core::Idoszak::fromText(idoszak) < szakiranyUjSzorzoTol ? DijSor::IsmeteltSzakiranyRegi
                                                                   : DijSor::IsmeteltSzakiranyUj;
}

std::optional<double> dijszorzo(const QVariant& elszam, const QVariant& elltip,
                                const QVariant& onkep, const QString& idoszak) {
    const std::optional<DijSor> sor = dijsor(elszam, elltip, idoszak);
    const std::optional<double> k = szam(onkep);
    if (!sor || !k || *k != double(int(*k))) return std::nullopt;
    return dijszorzo(*sor, int(*k));
}

} // namespace sheet
