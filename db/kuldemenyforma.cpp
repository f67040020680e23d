#include "db/kuldemenyforma.h"

#include "db/bnotipus.h"

#include "ui/fieldrule.h"

#include <cstring>

namespace db {

// ---------------------------------------------------------------- file names

QString kuldFajlNev(char betu, const QString& intkod) {
    return QStringLiteral("Szk") + QLatin1Char(betu) + intkod + QStringLiteral(".Dbf");
}

QString kuldMasolatNev(char betu, const QString& intkod) {
    return kuldFajlNev(betu, intkod).toLower();
}

QString teljesArchivumNev(const QString& intkod) {
    return QStringLiteral("Telj") + intkod + QStringLiteral(".arj");
}

QString teljesFajlNev(char betu, const QString& intkod) {
    return QStringLiteral("A") + QLatin1Char(betu) + intkod + QStringLiteral(".dbf");
}

// ---------------------------------------------------------------- fields

namespace {

using T = KuldTabla;
using K = Kiiras;
using V = Visszavetel;

} // namespace

const std::vector<KuldMezo>& lapMezok() {
    static const std::vector<KuldMezo> v = {
        {"ULVKOD", T::Lap, "INTKOD", K::Szoveg, V::Kulcs, true},
        {"FINKOD", T::Lap, "FINKOD", K::Szoveg, V::Kulcs, false},
        {"SORSZAM", T::Lap, "SORSZ", K::Egesz, V::Kulon, true},
        {"RESZ", T::Lap, "RESZ", K::Szoveg, V::Kulcs, true},
        {"IDOSZAK", T::Lap, "IDOSZAK", K::Idoszak, V::Kulon, true},
        {"ORVOSKOD", T::Lap, "ORVOSKOD", K::Egesz, V::Kulon, true},
        {"JORVKOD", T::Elrend, "JORVKOD", K::Jorv, V::Kulon, true},
        {"TAJ", T::Lap, "TAJ", K::Taj, V::Taj, true},
        {"KOZIGKOD", T::Lap, "KOZIGKOD", K::Szoveg, V::Masol, true},
        {"TERPOT", T::Lap, "TPOTL", K::Terpot, V::Kulon, true},
        {"CIM", T::Beteg, "CIME2", K::Szoveg, V::Nem, false},
        {"NEME", T::Beteg, "NEME", K::Szoveg, V::Nem, false},
        {"SZULIDO", T::Beteg, "SZULI", K::Szoveg, V::Nem, false},
        {"TEVKODOK", T::Lap, "TEVKODOK", K::Szoveg, V::Masol, true},
        {"ELBOCS", T::Lap, "ELB", K::Szoveg, V::Masol, true},
        {"APNAP", T::Lap, "APNAP", K::Szoveg, V::Masol, true},
        {"ELSZAM", T::Lap, "ELSZAM", K::Szoveg, V::Masol, true},
        {"ELREND", T::Elrend, "ELREND", K::Szoveg, V::Masol, true},
        {"SZAKVET", T::Elrend, "SZAKVET", K::Szoveg, V::Masol, true},
        {"ELVIZDB", T::Elrend, "ELVIZDB", K::Szoveg, V::Masol, true},
        {"GYAK", T::Elrend, "GYAK", K::Szoveg, V::Masol, true},
        {"ELSZVIZ", T::Lap, "ELSZVIZ", K::Szoveg, V::Masol, true},
        {"LEZDAT", T::Lap, "LEZDAT", K::Szoveg, V::Masol, true},
        {"TERKAT", T::Lap, "TERKAT", K::Szoveg, V::Masol, false},
        {"AZTIP", T::Lap, "AZTIP", K::Szoveg, V::Masol, false},
        {"ALLAMP", T::Lap, "ALLAMP", K::Szoveg, V::Masol, false},
        {"ENGSZAM", T::Elrend, "ENGSZAM", K::Szoveg, V::Masol, true},
        {"ENGDAT", T::Elrend, "ENGDAT", K::Szoveg, V::Masol, true},
        {"OVIZITDB", T::Lap, "SZVIZ", K::Szoveg, V::Masol, true},
        {"MODTIPUS", T::Lap, "MODTIPUS", K::Modtipus, V::Nem, false},
        {"MODIDO", T::Nincs, nullptr, K::Modido, V::Nem, false},
        // the office's own: "u" for a fully accounted sheet
        {"ALLAPOT", T::Lap, "ALLAPOT", K::Nem, V::Kulon, true},
    };
    return v;
}

const std::vector<KuldMezo>& vizitMezok() {
    static const std::vector<KuldMezo> v = {
        {"ULVKOD", T::Lapb, "INTKOD", K::Szoveg, V::Kulcs, true},
        {"FINKOD", T::Lapb, "FINKOD", K::Szoveg, V::Kulcs, false},
        {"SORSZAM", T::Lapb, "SORSZ", K::Egesz, V::Kulon, true},
        {"RESZ", T::Lapb, "RESZ", K::Szoveg, V::Kulcs, true},
        {"IDOSZAK", T::Lapb, "IDOSZAK", K::Idoszak, V::Kulon, true},
        {"TEVKOD", T::Lapb, "TEVKOD", K::Szoveg, V::Masol, true},
        {"ELLTIP", T::Lapb, "ELLTIP", K::Szoveg, V::Masol, true},
        {"ONKEP", T::Lapb, "ONKEP", K::Szoveg, V::Masol, true},
        {"DATUMTOL", T::Lapb, "APDATUM", K::Szoveg, V::Masol, true},
        {"APTAJ", T::Lapb, "APTAJ", K::Aptaj, V::Taj, true},
        // the office's own: the visits counted and the accounted period
        {"VIZITDB", T::Lapb, "VIZITDB", K::Nem, V::Masol, true},
        {"ELSZIDO", T::Lapb, "ELIDO", K::Nem, V::Kulon, true},
    };
    return v;
}

const std::vector<KuldMezo>& bnoMezok() {
    static const std::vector<KuldMezo> v = {
        {"ULVKOD", T::Lap, "INTKOD", K::Szoveg, V::Nem, false},
        {"FINKOD", T::Lap, "FINKOD", K::Szoveg, V::Nem, false},
        {"SORSZAM", T::Lap, "SORSZ", K::Egesz, V::Kulon, true},
        {"RESZ", T::Lap, "RESZ", K::Szoveg, V::Kulon, true},
        {"IDOSZAK", T::Lap, "IDOSZAK", K::Idoszak, V::Kulon, true},
        {"BNOTIP", T::Nincs, nullptr, K::BnoTip, V::Kulon, true},
        {"BNOKOD", T::Nincs, nullptr, K::BnoKod, V::Kulon, true},
    };
    return v;
}

namespace {

bool lekerdezett(const KuldMezo& f) {
    return f.oszlop && f.ki != Kiiras::Nem;
}

char alias(KuldTabla t) {
    switch (t) {
    case KuldTabla::Lap:
        return 'a';
    case KuldTabla::Lapb:
        return 'b';
    case KuldTabla::Elrend:
        return 'c';
    case KuldTabla::Beteg:
        return 'd';
    case KuldTabla::Nincs:
        break;
    }
    return 'a';
}

} // namespace

const KuldMezo* kuldMezo(const std::vector<KuldMezo>& lista, const char* mezo) {
    for (const KuldMezo& f : lista)
        if (std::strcmp(f.mezo, mezo) == 0) return &f;
    return nullptr;
}

int kuldOszlop(const std::vector<KuldMezo>& lista, const char* mezo) {
    int i = 0;
    for (const KuldMezo& f : lista) {
        if (!lekerdezett(f)) continue;
        if (std::strcmp(f.mezo, mezo) == 0) return i;
        ++i;
    }
    return -1;
}

QString kuldSelect(const std::vector<KuldMezo>& lista) {
    QStringList s;
    for (const KuldMezo& f : lista) {
        if (!lekerdezett(f)) continue;
        const QString oszlop = QString::fromLatin1(f.oszlop).toLower();
        const QString mezo = QString::fromLatin1(f.mezo).toLower();
        QString x = QString(QLatin1Char(alias(f.tabla))) + QLatin1Char('.') + oszlop;
        if (oszlop != mezo) x += QStringLiteral(" as ") + mezo;
        s << x;
    }
    return s.join(QStringLiteral(", "));
}

QStringList kotelezoMezok(const std::vector<KuldMezo>& lista) {
    QStringList s;
    for (const KuldMezo& f : lista)
        if (f.kell) s << QLatin1String(f.mezo);
    return s;
}

// ---------------------------------------------------------------- diagnoses

const std::array<BnoTipus, 5>& bnoTipusok() {
    static const std::array<BnoTipus, 5> t = {{{BnoFo, "BNOFO"},
                                               {BnoAlap, "BNOROV"},
                                               {BnoFekvo, "BNOKI"},
                                               {BnoKisero, "BNOMELL"},
                                               {BnoBefolyasol, "BNOELL"}}};
    return t;
}

const char* bnoOszlop(qint64 tipus) {
    for (const BnoTipus& t : bnoTipusok())
        if (t.tipus == tipus) return t.oszlop;
    return nullptr;
}

// ---------------------------------------------------------------- conversions

std::optional<qlonglong> kuldEgesz(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return v.toLongLong();
    default:
        break;
    }
    const QString s = v.toString().trimmed();
    int i = 0;
    if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) i = 1;
    if (i >= s.size() || s.size() - i > 18) return std::nullopt;
    for (int k = i; k < s.size(); ++k)
        if (s[k] < u'0' || s[k] > u'9') return std::nullopt;
    return s.toLongLong();
}

QString tomorIdoszak(const QString& idoszak) {
    if (const auto p = core::Idoszak::parse(idoszak)) return p->compactText();
    QString t = idoszak;
    return t.remove(QLatin1Char('.'));
}

std::optional<core::Idoszak> kuldIdoszak(const QString& text) {
    for (const QChar c : text)
        if (ui::isControl(c)) return std::nullopt;
    const QString t = text.trimmed();
    if (t.size() == 7 && t.at(4) != QLatin1Char('.')) return std::nullopt;
    return core::Idoszak::parseAny(t);
}

int terpot(const QVariant& tpotl) {
    return tpotl.toString() == QLatin1String("N") ? 1 : 2;
}

QLatin1String tpotl(qint64 terpot) {
    return terpot == 1 ? QLatin1String("N") : QLatin1String("I");
}

QString modtipus(const QString& lapIdoszak, const QString& lapModtipus, core::Idoszak p) {
    if (lapIdoszak != p.text() && lapModtipus.trimmed().isEmpty()) return QStringLiteral("P");
    return lapModtipus;
}

} // namespace db
