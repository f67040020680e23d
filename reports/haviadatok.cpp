#include "reports/haviadatok.h"

namespace reports {

HaviForma haviForma(core::Idoszak p) {
    return p < core::hatar::ujSzorzok ? HaviForma::Thavil : HaviForma::Thavil2;
}

std::optional<int> tevekenysegDoboz(const QString& tevkod) {
    const QString k = tevkod.trimmed();
    if (k.isEmpty()) return std::nullopt;
    static const char* const sajat[] = {"1", "2", "4", "5", "6", "7", "10", "11"};
    for (const char* s : sajat)
        if (k == QLatin1String(s)) return k.toInt();
    const QChar c = k.front();
    if (c == QLatin1Char('3') || c == QLatin1Char('8') || c == QLatin1Char('9'))
        return c.digitValue();
    return std::nullopt;
}

std::optional<int> elrendeloLapSzam(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9) return std::nullopt;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    return t.toInt();
}

qint64 HaviKategoria::n() const {
    qint64 s = 0;
    for (const HaviCella& c : cellak)
        s += c.n;
    return s;
}

qint64 HaviKategoria::t() const {
    qint64 s = 0;
    for (const HaviCella& c : cellak)
        s += c.t;
    return s;
}

double HaviKategoria::ft() const {
    double s = 0;
    for (const HaviCella& c : cellak)
        s += c.ft;
    return s;
}

namespace {

HaviKategoria kategoria(const QString& nev, const QString& jel, const QString& resz,
                        sheet::DijSor sor) {
    HaviKategoria k{nev, jel, resz, {}};
    for (int onkep = 1; onkep <= 3; ++onkep)
        if (const std::optional<double> m = sheet::dijszorzo(sor, onkep))
            k.cellak.push_back({onkep, *m});
    return k;
}

} // namespace

HaviAdatok::HaviAdatok(core::Idoszak p, int alapdij)
    : forma_(haviForma(p)), p_(p), alapdij_(alapdij) {
    using sheet::DijSor;
    const bool uj = forma_ == HaviForma::Thavil2;
    const QString egy = uj ? QStringLiteral("1") : QString();
    const QString ket = uj ? QStringLiteral("2") : QString();
    kat_.push_back(kategoria(QStringLiteral("Szakápolás 1-14 vizitig"), QStringLiteral("12"), egy,
                             DijSor::ElsoApolas));
    kat_.push_back(kategoria(QStringLiteral("Szakápolás 15 vizittől"), QStringLiteral("22"), ket,
                             DijSor::IsmeteltApolas));
    if (uj) {
        kat_.push_back(kategoria(QStringLiteral("Szakirányú tevékenységi vizit"),
                                 QStringLiteral("14"), QStringLiteral("4"), DijSor::ElsoSzakirany));
    } else {
        kat_.push_back(kategoria(QStringLiteral("Szakirányú 1-14 vizitig"), QStringLiteral("14"),
                                 {}, DijSor::ElsoSzakirany));
        kat_.push_back(kategoria(QStringLiteral("Szakirányú 15 vizittől"), QStringLiteral("24"), {},
                                 DijSor::IsmeteltSzakiranyRegi));
    }
}

void HaviAdatok::add(const HaviSor& s) {
    const QString mod = s.modtipus.trimmed();
    if (!mod.isEmpty()) {
        if (mod == QLatin1String("K"))
            korrekcio_ += s.vizit;
        else if (mod == QLatin1String("P"))
            potvizit_ += s.vizit;
        else if (mod == QLatin1String("S"))
            sztorno_ -= s.vizit;
        return;
    }
    if (const std::optional<int> d = tevekenysegDoboz(s.tevkod))
        dobozok_[size_t(*d - 1)] += s.vizit;

    const QString tp = s.tpotl.trimmed();
    const bool potlekkal = tp == QLatin1String("I");
    if (!potlekkal && tp != QLatin1String("N")) return;
    const std::optional<sheet::DijSor> sor = sheet::dijsor(s.elszam, s.elltip, p_.text());
    if (!sor) return;
    int k;
    switch (*sor) {
    case sheet::DijSor::ElsoApolas:
        k = 0;
        break;
    case sheet::DijSor::IsmeteltApolas:
        k = 1;
        break;
    case sheet::DijSor::ElsoSzakirany:
    case sheet::DijSor::IsmeteltSzakiranyUj:
        k = 2;
        break;
    default: // repeated therapy before 2009.01
        k = 3;
        break;
    }
    bool ok = false;
    const double onkepSzam = s.onkep.toString().trimmed().toDouble(&ok);
    if (!ok || onkepSzam != double(int(onkepSzam))) return;
    for (HaviCella& c : kat_[size_t(k)].cellak) {
        if (c.onkep != int(onkepSzam)) continue;
        (potlekkal ? c.t : c.n) += s.vizit;
        // The fee times the visits is a whole number of forints; the rest
        // stays unrounded until it is shown.
        const double an = double(qint64(alapdij_) * c.n);
        const double at = double(qint64(alapdij_) * c.t);
        c.ft = an * c.szorzo + at * c.szorzo * (1.0 + sheet::teruletiPotlek);
        c.vizitdij = (an + at) * c.szorzo;
        c.potlek = at * c.szorzo * sheet::teruletiPotlek;
        return;
    }
}

qint64 HaviAdatok::ovizit() const {
    qint64 s = 0;
    for (const HaviKategoria& k : kat_)
        s += k.n() + k.t();
    return s;
}

double HaviAdatok::osszft() const {
    double s = 0;
    for (const HaviKategoria& k : kat_)
        s += k.ft();
    return s;
}

double HaviAdatok::vizft() const {
    double s = 0;
    for (const HaviKategoria& k : kat_)
        for (const HaviCella& c : k.cellak)
            s += c.vizitdij;
    return s;
}

double HaviAdatok::tpft() const {
    double s = 0;
    for (const HaviKategoria& k : kat_)
        for (const HaviCella& c : k.cellak)
            s += c.potlek;
    return s;
}

} // namespace reports
