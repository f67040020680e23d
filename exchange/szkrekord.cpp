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
    return QStringLiteral("select distinct ") + db::kuldSelect(db::lapMezok()) +
           QStringLiteral(" from lap a cross join elrend c cross join beteg d "
                          "where a.jeloles=? and a.sorsz=c.sorsz and a.resz is c.resz and "
                          "a.idoszak=c.idoszak and a.taj=d.taj "
                          "order by a.idoszak, a.sorsz, a.resz");
}

QString vizitSql() {
    return QStringLiteral("select ") + db::kuldSelect(db::vizitMezok()) +
           QStringLiteral(" from lap a, lapb b "
                          "where a.jeloles=? and a.sorsz=b.sorsz and a.resz is b.resz and "
                          "a.idoszak=b.idoszak "
                          "order by b.idoszak, b.sorsz, b.resz, b.apdatum");
}

QString bnoSql() {
    QString s = QStringLiteral("select ") + db::kuldSelect(db::bnoMezok());
    for (const db::BnoTipus& t : db::bnoTipusok())
        s += QStringLiteral(", a.") + QString::fromLatin1(t.oszlop).toLower();
    return s + QStringLiteral(" from lap a where a.jeloles=? order by a.idoszak, a.sorsz, a.resz");
}

QVariantList sqlParams() {
    return {QStringLiteral("*")};
}

std::vector<std::pair<int, QString>> bnoSorok(const QVariantList& r) {
    std::vector<std::pair<int, QString>> out;
    int col = B_BNOFO;
    for (const db::BnoTipus& t : db::bnoTipusok()) {
        const QString kod = r.value(col++).toString();
        if (!kod.trimmed().isEmpty()) out.emplace_back(t.tipus, kod);
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
        const std::optional<qlonglong> n = db::kuldEgesz(v);
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

// What a record of a file is made from: the query's row, the period sent
// and, for a diagnosis, its kind and code.
struct Sor {
    const QVariantList& r;
    core::Idoszak p;
    int bnoTip = 0;
    QString bnoKod;
};

// The fields of `lista` converted into `x`, each by its rule.
void kitolt(Rekord& x, const Minta& m, const std::vector<db::KuldMezo>& lista, const Sor& s) {
    using db::Kiiras;
    int col = 0;
    for (const db::KuldMezo& f : lista) {
        const bool lekerdezett = f.oszlop && f.ki != Kiiras::Nem;
        const QVariant v = lekerdezett ? s.r.value(col++) : QVariant();
        switch (f.ki) {
        case Kiiras::Nem:
            break;
        case Kiiras::Szoveg:
            x.set(f.mezo, v);
            break;
        case Kiiras::Egesz:
            x.setEgesz(f.mezo, v);
            break;
        case Kiiras::Idoszak:
            x.set(f.mezo, db::tomorIdoszak(v.toString()));
            break;
        case Kiiras::Jorv:
            if (v.isNull() || v.toString().trimmed().isEmpty())
                x.set(f.mezo, 0);
            else
                x.setEgesz(f.mezo, v);
            break;
        case Kiiras::Taj:
            if (m.id == MintaId::SZKA)
                x.setEgesz(f.mezo, v);
            else if (s.r.value(L_AZTIP).toString() != QLatin1String("0"))
                x.set(f.mezo, v);
            break;
        case Kiiras::Terpot:
            x.set(f.mezo, db::terpot(v));
            break;
        case Kiiras::Modido:
            x.set(f.mezo, s.p.compactText());
            break;
        case Kiiras::Modtipus:
            x.set(f.mezo, db::modtipus(s.r.value(L_IDOSZAK).toString(), v.toString(), s.p));
            break;
        case Kiiras::Aptaj:
            // The nurse's TAJ: a number in the older layouts (the leading
            // zero goes), text from 2016.01.
            if (const int i = m.mezoIndex(QLatin1String(f.mezo));
                i >= 0 && m.mezok[size_t(i)].type == 'N' && !v.isNull())
                x.setEgesz(f.mezo, v);
            else
                x.set(f.mezo, v);
            break;
        case Kiiras::BnoTip:
            x.set(f.mezo, s.bnoTip);
            break;
        case Kiiras::BnoKod:
            x.set(f.mezo, s.bnoKod);
            break;
        }
    }
}

} // namespace

QByteArray lapRekord(const Minta& m, const QVariantList& r, core::Idoszak p) {
    Rekord x(m, r, L_SORSZAM, L_RESZ, L_IDOSZAK);
    kitolt(x, m, db::lapMezok(), {r, p, 0, {}});
    return x.bytes();
}

QByteArray vizitRekord(const Minta& m, const QVariantList& r, core::Idoszak p) {
    Rekord x(m, r, V_SORSZAM, V_RESZ, V_IDOSZAK);
    kitolt(x, m, db::vizitMezok(), {r, p, 0, {}});
    return x.bytes();
}

std::vector<QByteArray> bnoRekordok(const Minta& m, const QVariantList& r, core::Idoszak p) {
    std::vector<QByteArray> out;
    for (const auto& [tip, kod] : bnoSorok(r)) {
        Rekord x(m, r, B_SORSZAM, B_RESZ, B_IDOSZAK);
        kitolt(x, m, db::bnoMezok(), {r, p, tip, kod});
        out.push_back(x.bytes());
    }
    return out;
}

} // namespace exch
