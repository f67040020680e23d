#include "exchange/szkrekord.h"

#include "engine/dberror.h"
#include "engine/fieldcodec.h"

namespace exch {

QString AtalakitasHiba::uzenet() const {
    const QString lap = sorsz + resz;
    return QStringLiteral("A(z) %1 sorszámú, %2 időszakra szóló elszámolási lap %3 mezője nem "
                          "írható a küldeménybe: „%4” %5\rAz adatküldés nem történt meg, a "
                          "lap javítása után ismételje meg!")
        .arg(lap, idoszak, mezo, ertek, ok);
}

// ---------------------------------------------------------------- queries

// The old dialect joined the key as a concatenation (sorsz+resz); here the
// columns are joined one by one, the often blank part letter with IS. The
// marked sheets lead the join (CROSS JOIN keeps that order): the other way
// round every patient would be looked up.
QString lapSql() {
    return QStringLiteral(
        "select distinct a.intkod as ulvkod, a.finkod, a.sorsz as sorszam, a.resz, a.idoszak, "
        "a.orvoskod, c.jorvkod, a.taj, a.kozigkod, a.tpotl as terpot, d.cime2 as cim, d.neme, "
        "d.szuli as szulido, a.tevkodok, a.elb as elbocs, a.apnap, a.elszam, c.elrend, "
        "c.szakvet, c.elvizdb, c.gyak, a.elszviz, a.lezdat, a.terkat, a.aztip, a.allamp, "
        "c.engszam, c.engdat, a.szviz as ovizitdb, a.modtipus "
        "from lap a cross join elrend c cross join beteg d "
        "where a.jeloles=? and a.sorsz=c.sorsz and a.resz is c.resz and a.idoszak=c.idoszak "
        "and a.taj=d.taj "
        "order by a.idoszak, a.sorsz, a.resz");
}

QString vizitSql() {
    return QStringLiteral(
        "select b.intkod as ulvkod, b.finkod, b.sorsz as sorszam, b.resz, b.idoszak, b.tevkod, "
        "b.elltip, b.onkep, b.apdatum as datumtol, b.aptaj "
        "from lap a, lapb b "
        "where a.jeloles=? and a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak "
        "order by b.idoszak, b.sorsz, b.resz, b.apdatum");
}

QString bnoSql() {
    return QStringLiteral("select intkod as ulvkod, finkod, sorsz as sorszam, resz, idoszak, "
                          "bnoki, bnorov, bnofo, bnomell, bnoell "
                          "from lap where jeloles=? order by idoszak, sorsz, resz");
}

QVariantList sqlParams() {
    return {QStringLiteral("*")};
}

// ---------------------------------------------------------------- conversions

std::optional<qlonglong> egesz(const QVariant& v) {
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

int terpot(const QVariant& tpotl) {
    return tpotl.toString() == QLatin1String("N") ? 1 : 2;
}

QString modtipus(const QString& lapIdoszak, const QString& lapModtipus, core::Idoszak p) {
    if (lapIdoszak != p.text() && lapModtipus.trimmed().isEmpty()) return QStringLiteral("P");
    return lapModtipus;
}

std::vector<std::pair<int, QString>> bnoSorok(const QVariantList& r) {
    const std::pair<int, int> rend[] = {
        {B_BNOFO, 3}, {B_BNOROV, 5}, {B_BNOKI, 1}, {B_BNOMELL, 4}, {B_BNOELL, 6}};
    std::vector<std::pair<int, QString>> out;
    for (const auto& [col, tip] : rend) {
        const QString kod = r.value(col).toString();
        if (!kod.trimmed().isEmpty()) out.emplace_back(tip, kod);
    }
    return out;
}

// ---------------------------------------------------------------- records

namespace {

// One record being filled, for the sheet `hely` names in its errors.
class Rekord {
public:
    Rekord(const Minta& m, const QVariantList& row, int sorsz, int resz, int idoszak)
        : m_(m), bytes_(m.rekordHossz, ' ') {
        hiba_.sorsz = row.value(sorsz).toString();
        hiba_.resz = row.value(resz).toString();
        hiba_.idoszak = row.value(idoszak).toString();
    }

    // Sets the field when the layout has it.
    void set(const char* mezo, const QVariant& v) {
        const int i = m_.mezoIndex(QLatin1String(mezo));
        if (i < 0) return;
        try {
            engine::encodeField(m_.mezok[size_t(i)], v, bytes_.data(), QString());
        } catch (const engine::DbError& e) {
            fail(mezo, v,
                 e.kind() == engine::DbError::Kind::Encoding
                     ? QStringLiteral("a 852-es kódlapon nem írható karaktert tartalmaz.")
                     : QStringLiteral("nem fér el a %1 jegyű mezőben.")
                           .arg(m_.mezok[size_t(i)].width));
        }
    }
    // Sets the field to the stored text read as a whole number.
    void setEgesz(const char* mezo, const QVariant& v) {
        if (m_.mezoIndex(QLatin1String(mezo)) < 0) return;
        const std::optional<qlonglong> n = egesz(v);
        if (!n) fail(mezo, v, QStringLiteral("nem egész szám."));
        set(mezo, *n);
    }
    [[noreturn]] void fail(const char* mezo, const QVariant& v, const QString& ok) {
        hiba_.mezo = QLatin1String(mezo);
        hiba_.ertek = v.toString();
        hiba_.ok = ok;
        throw hiba_;
    }
    bool has(const char* mezo) const { return m_.mezoIndex(QLatin1String(mezo)) >= 0; }
    const QByteArray& bytes() const { return bytes_; }

private:
    const Minta& m_;
    QByteArray bytes_;
    AtalakitasHiba hiba_;
};

} // namespace

QByteArray lapRekord(const Minta& m, const QVariantList& r, core::Idoszak p) {
    Rekord x(m, r, L_SORSZAM, L_RESZ, L_IDOSZAK);
    x.set("ULVKOD", r.value(L_ULVKOD));
    x.set("FINKOD", r.value(L_FINKOD));
    x.setEgesz("SORSZAM", r.value(L_SORSZAM));
    x.set("RESZ", r.value(L_RESZ));
    x.set("IDOSZAK", tomorIdoszak(r.value(L_IDOSZAK).toString()));
    x.setEgesz("ORVOSKOD", r.value(L_ORVOSKOD));
    const QVariant jorv = r.value(L_JORVKOD);
    if (jorv.isNull() || jorv.toString().trimmed().isEmpty())
        x.set("JORVKOD", 0);
    else
        x.setEgesz("JORVKOD", jorv);
    if (m.id == MintaId::SZKA) {
        x.setEgesz("TAJ", r.value(L_TAJ));
    } else if (r.value(L_AZTIP).toString() != QLatin1String("0")) {
        x.set("TAJ", r.value(L_TAJ));
    }
    x.set("KOZIGKOD", r.value(L_KOZIGKOD));
    x.set("CIM", r.value(L_CIM));
    x.set("NEME", r.value(L_NEME));
    x.set("SZULIDO", r.value(L_SZULIDO));
    x.set("AZTIP", r.value(L_AZTIP));
    x.set("TERKAT", r.value(L_TERKAT));
    x.set("ALLAMP", r.value(L_ALLAMP));
    x.set("TERPOT", terpot(r.value(L_TERPOT)));
    x.set("TEVKODOK", r.value(L_TEVKODOK));
    x.set("ELBOCS", r.value(L_ELBOCS));
    x.set("APNAP", r.value(L_APNAP));
    x.set("ELREND", r.value(L_ELREND));
    x.set("SZAKVET", r.value(L_SZAKVET));
    x.set("ELVIZDB", r.value(L_ELVIZDB));
    x.set("GYAK", r.value(L_GYAK));
    x.set("ELSZVIZ", r.value(L_ELSZVIZ));
    x.set("ELSZAM", r.value(L_ELSZAM));
    x.set("LEZDAT", r.value(L_LEZDAT));
    x.set("ENGSZAM", r.value(L_ENGSZAM));
    x.set("ENGDAT", r.value(L_ENGDAT));
    x.set("OVIZITDB", r.value(L_OVIZITDB));
    x.set("MODIDO", p.compactText());
    x.set("MODTIPUS", modtipus(r.value(L_IDOSZAK).toString(), r.value(L_MODTIPUS).toString(), p));
    return x.bytes();
}

QByteArray vizitRekord(const Minta& m, const QVariantList& r, core::Idoszak p) {
    Rekord x(m, r, V_SORSZAM, V_RESZ, V_IDOSZAK);
    x.set("ULVKOD", r.value(V_ULVKOD));
    x.set("FINKOD", r.value(V_FINKOD));
    x.setEgesz("SORSZAM", r.value(V_SORSZAM));
    x.set("RESZ", r.value(V_RESZ));
    x.set("IDOSZAK", tomorIdoszak(r.value(V_IDOSZAK).toString()));
    x.set("TEVKOD", r.value(V_TEVKOD));
    x.set("ELLTIP", r.value(V_ELLTIP));
    x.set("ONKEP", r.value(V_ONKEP));
    x.set("DATUMTOL", r.value(V_DATUMTOL));
    // The nurse's TAJ: a number in the older layouts (the leading zero goes),
    // text from 2016.01.
    const QVariant aptaj = r.value(V_APTAJ);
    if (m.mezok[size_t(m.mezoIndex(QStringLiteral("APTAJ")))].type == 'N' && !aptaj.isNull())
        x.setEgesz("APTAJ", aptaj);
    else
        x.set("APTAJ", aptaj);
    (void)p;
    return x.bytes();
}

std::vector<QByteArray> bnoRekordok(const Minta& m, const QVariantList& r, core::Idoszak p) {
    std::vector<QByteArray> out;
    for (const auto& [tip, kod] : bnoSorok(r)) {
        Rekord x(m, r, B_SORSZAM, B_RESZ, B_IDOSZAK);
        x.set("ULVKOD", r.value(B_ULVKOD));
        x.set("FINKOD", r.value(B_FINKOD));
        x.setEgesz("SORSZAM", r.value(B_SORSZAM));
        x.set("RESZ", r.value(B_RESZ));
        x.set("IDOSZAK", tomorIdoszak(r.value(B_IDOSZAK).toString()));
        x.set("BNOTIP", tip);
        x.set("BNOKOD", kod);
        out.push_back(x.bytes());
    }
    (void)p;
    return out;
}

} // namespace exch
