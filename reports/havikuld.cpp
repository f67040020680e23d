#include "reports/havikuld.h"

#include "db/kuldemenyforma.h"
#include "engine/dberror.h"
#include "engine/table.h"

#include <QDir>
#include <QHash>

namespace reports {

QString kuldFajl(const QString& kuldDir, const QString& name) {
    const QDir dir(kuldDir);
    for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden))
        if (f.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(f);
    return QString();
}

namespace {

QString text(const engine::Table& t, int field) {
    return field < 0 ? QString() : t.value(field).toString().trimmed();
}

int field(const engine::Table& t, const char* name, bool required) {
    const int i = t.fieldIndex(QLatin1String(name));
    if (i < 0 && required)
        throw engine::DbError(engine::DbError::Kind::Damaged, t.path(),
                              QStringLiteral("hiányzik a(z) %1 mező").arg(QLatin1String(name)));
    return i;
}

// A sheet of the sheet file by its number, part letter and period.
QString kulcs(const QVariant& sorszam, const QString& resz, const QString& idoszak) {
    return QString::number(sorszam.toLongLong()) + QLatin1Char('|') + resz + QLatin1Char('|') +
           idoszak;
}

struct Lap {
    QVariant elszam;
    QString tpotl;
    QString modtipus;
};

} // namespace

std::optional<KuldottAdatok> kuldemenyOlvas(const QString& kuldDir, const QString& intkod,
                                            core::Idoszak p) {
    const QString kod = intkod.trimmed();
    const QString a = kuldFajl(kuldDir, db::kuldFajlNev('a', kod));
    const QString b = kuldFajl(kuldDir, db::kuldFajlNev('b', kod));
    if (kod.isEmpty() || a.isEmpty() || b.isEmpty()) return std::nullopt;

    KuldottAdatok k;
    QHash<QString, Lap> lapok; // by number, part letter and period
    {
        engine::Table t;
        t.open(a, engine::Table::Mode::ReadOnly);
        const int fSorszam = field(t, "SORSZAM", true), fResz = field(t, "RESZ", true),
                  fIdoszak = field(t, "IDOSZAK", true), fElszam = field(t, "ELSZAM", true),
                  fTerpot = field(t, "TERPOT", true), fModido = field(t, "MODIDO", true),
                  fMod = field(t, "MODTIPUS", true);
        const QString sajat = p.compactText();
        for (t.first(); !t.eof(); t.next()) {
            if (text(t, fModido) != sajat) return std::nullopt;
            ++k.lapok;
            const QString idoszak = text(t, fIdoszak);
            if (idoszak == sajat) ++k.sajatLapok;
            // TERPOT 1: no territorial supplement; anything else is paid with it.
            const Lap lap{t.value(fElszam), db::tpotl(t.value(fTerpot).toInt()), text(t, fMod)};
            const QString resz = text(t, fResz);
            lapok.insert(kulcs(t.value(fSorszam), resz, idoszak), lap);
        }
        if (k.lapok == 0) return std::nullopt;
    }
    engine::Table t;
    t.open(b, engine::Table::Mode::ReadOnly);
    const int fSorszam = field(t, "SORSZAM", true), fResz = field(t, "RESZ", true),
              fIdoszak = field(t, "IDOSZAK", false), fTevkod = field(t, "TEVKOD", true),
              fElltip = field(t, "ELLTIP", true), fOnkep = field(t, "ONKEP", true),
              fUlvkod = field(t, "ULVKOD", false);
    const int fDatum = field(t, "DATUMTOL", false);
    for (t.first(); !t.eof(); t.next()) {
        const QString resz = text(t, fResz);
        // The old visit file has no period: a visit lies in its sheet's month.
        const QString idoszak = fIdoszak >= 0 ? text(t, fIdoszak)
                                : fDatum >= 0
                                    ? core::Idoszak::of(t.value(fDatum).toDate()).compactText()
                                    : QString();
        const auto it = lapok.constFind(kulcs(t.value(fSorszam), resz, idoszak));
        const Lap* lap = it == lapok.constEnd() ? nullptr : &*it;
        if (!lap) {
            ++k.arvaVizitek;
            continue;
        }
        k.sorok.push_back(HaviSor{text(t, fUlvkod), lap->elszam, lap->tpotl, text(t, fTevkod),
                                  t.value(fElltip), t.value(fOnkep), 1, lap->modtipus});
    }
    return k;
}

namespace {

const char* const onkepNev[] = {"", "teljes ápolásra szorult", "segítségre szorult", "önellátó"};

} // namespace

QStringList kuldemenyElteresek(const HaviAdatok& osszesito, qint64 sajatLapok,
                               const KuldottAdatok& kuldemeny) {
    HaviAdatok kuldott(osszesito.idoszak(), osszesito.alapdij());
    kuldott.add(kuldemeny.sorok);
    QStringList out;
    auto db = [](qint64 a, qint64 b) {
        return QStringLiteral("összesítő %1, küldemény %2").arg(a).arg(b);
    };
    if (sajatLapok != kuldemeny.sajatLapok)
        out << QStringLiteral("Egyéni elszámolási lapok: ") + db(sajatLapok, kuldemeny.sajatLapok);
    const auto& ka = osszesito.kategoriak();
    const auto& kb = kuldott.kategoriak();
    for (size_t i = 0; i < ka.size(); ++i)
        for (size_t j = 0; j < ka[i].cellak.size(); ++j) {
            const HaviCella& x = ka[i].cellak[j];
            const HaviCella& y = kb[i].cellak[j];
            if (x.n == y.n && x.t == y.t) continue;
            out << QStringLiteral("%1, %2: összesítő %3 + %4, küldemény %5 + %6 vizit")
                       .arg(ka[i].nev, QString::fromUtf8(onkepNev[x.onkep]))
                       .arg(x.n)
                       .arg(x.t)
                       .arg(y.n)
                       .arg(y.t);
        }
    if (osszesito.korrekcio() != kuldott.korrekcio())
        out << QStringLiteral("Korrekciós vizitszám: ") +
                   db(osszesito.korrekcio(), kuldott.korrekcio());
    if (osszesito.sztorno() != kuldott.sztorno())
        out << QStringLiteral("Sztornózott vizitszám: ") +
                   db(osszesito.sztorno(), kuldott.sztorno());
    if (osszesito.potvizit() != kuldott.potvizit())
        out << QStringLiteral("Pótvizit száma: ") + db(osszesito.potvizit(), kuldott.potvizit());
    if (kuldemeny.arvaVizitek > 0)
        out << QStringLiteral("A küldeményben %1 vizit olyan laphoz tartozik, amely a lapok "
                              "állományában nincs meg")
                   .arg(kuldemeny.arvaVizitek);
    return out;
}

QString kuldemenyElteresUzenet(const QStringList& elteresek) {
    return QStringLiteral("Az összesítő eltér a KULD könyvtárban lévő küldeménytől!\r") +
           elteresek.join(QLatin1Char('\r')) +
           QStringLiteral("\r(vizitek: területi pótlék nélkül + területi pótlékkal)"
                          "\rAláírás előtt ellenőrizze a küldeményt!");
}

} // namespace reports
