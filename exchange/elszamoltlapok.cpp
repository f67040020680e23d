#include "exchange/elszamoltlapok.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "db/layouts.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fieldcodec.h"
#include "engine/outsidefile.h"
#include "engine/tablebuilder.h"
#include "exchange/ravfajl.h"
#include "ui/folderbrowser.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <deque>
#include <vector>

namespace exch {

namespace {

const QString kKesz = QStringLiteral("Az elszámolt lapok beolvasása befejeződött!");

QString vizitKulcs(const QString& sorsz, const QString& resz, const QDate& datum) {
    return sorsz + QLatin1Char('|') + resz.trimmed() + QLatin1Char('|') +
           datum.toString(Qt::ISODate);
}

// The accounted period as LAPB.ELIDO holds it: "YYYY.MM" whatever form the
// office wrote it in (a period or a date); anything else is refused.
QString elszamolasiIdo(const RavFajl& f, int field) {
    if (f.table().fields()[size_t(field)].type == 'D') {
        const QDate d = f.date(field);
        return d.isValid() ? core::Idoszak::of(d).text() : QString();
    }
    const std::optional<QString> p = elszamolasiIdoszak(f.nyers(field));
    if (!p) f.hibasErtek(field, nemIdoszak());
    return *p;
}

// A fee as the ZARAS column takes it: RavHiba when it does not fit.
double dij(const RavFajl& f, int field, const QString& column) {
    const double d = f.number(field);
    const engine::FieldDef& c = db::column(db::TableId::Zaras, column);
    QByteArray rec(c.offset + c.width, ' ');
    try {
        engine::encodeField(c, d, rec.data(), f.name());
    } catch (const engine::DbError& e) {
        f.hibasErtek(field, e.detail());
    }
    return d;
}

} // namespace

QString ElszamoltOsszegzes::text() const {
    QString s = QStringLiteral("Beolvasott vizitsorok: %1\r").arg(ui::formatInteger(olvasott)) +
                QStringLiteral("Bejegyzett vizitsorok: %1\r").arg(ui::formatInteger(bejegyzett)) +
                QStringLiteral("Helyben nem található vizitsorok: %1\r")
                    .arg(ui::formatInteger(nincsHelyi)) +
                QStringLiteral("Fizetési állapota változott: %1 lapnak\r")
                    .arg(ui::formatInteger(allapotValtozott));
    s += dijIdoszak.isEmpty()
             ? QStringLiteral("Alapdíj és előleg: nincs hozzá zárási sor\r")
             : QStringLiteral("Alapdíj és előleg bejegyezve: %1\r").arg(dijIdoszak);
    return s;
}

QString intkod(core::AppState& st) {
    const auto q = st.tables.dbo.query(QStringLiteral("select intkod from part"));
    return q.isEmpty() ? QString() : q.value(0, 0).toString().trimmed();
}

QString fizetesiAllapot(int szviz, int elfogadott, const QString& regi) {
    // The tests run in this order and the last that holds wins: a sheet
    // none of whose accounted rows counts a visit is blank even when it has
    // no visits itself.
    if (elfogadott == 0) return QString();
    if (szviz == elfogadott) return QString(kElszamolva);
    if (szviz > elfogadott) return QStringLiteral("R");
    return regi;
}

void ElszamoltLapok::beolvasClick() {
    if (!st_.msg.confirm(QStringLiteral("Az elszámolt adatokat beolvassuk! Rendben?"))) {
        st_.msg.warning(QStringLiteral("Az elszámolt lapok beolvasása elmaradt!"));
        return;
    }
    const ui::FolderChoice c = folders_.chooseFolder(
        QStringLiteral("Beolvasás helyének kiválasztása"), QStringLiteral("S"));
    if (!c.chosen || c.dir.isEmpty()) return;
    beolvas(c.dir);
}

bool ElszamoltLapok::beolvas(const QString& dir) {
    osszegzes_ = {};
    zaroUzenet_.clear();
    const QString kod = intkod(st_);
    const QStringList nevek{QStringLiteral("Ma"), QStringLiteral("Mb"), QStringLiteral("Mc"),
                            QStringLiteral("Rav")};
    QStringList forras;
    for (const QString& n : nevek) {
        const QString p = engine::findFileNoCase(QDir(dir).filePath(n + kod + ".dbf"));
        if (!QFileInfo::exists(p)) {
            st_.msg.error(QStringLiteral("Nincs a megadott helyen beolvasandó állomány !!\r"
                                         "Elszámolt lapok visszaolvasása megszakadt!!"));
            return false;
        }
        forras << p;
    }

    // The copies in TEMP go however the reading ends.
    QDir().mkpath(st_.tempkonyvtar);
    QStringList masolat;
    for (const QString& n : nevek)
        masolat << QDir(st_.tempkonyvtar).filePath(n + kod + ".dbf");
    struct Takarito {
        const QStringList& files;
        ~Takarito() {
            for (const QString& f : files)
                QFile::remove(f);
        }
    } takarito{masolat};
    try {
        for (int i = 0; i < forras.size(); ++i)
            if (QFileInfo(forras[i]).canonicalFilePath() !=
                QFileInfo(masolat[i]).canonicalFilePath()) {
                engine::checkOutsideTable(forras[i]);
                engine::TableBuilder::copyFile(forras[i], masolat[i]);
            }
    } catch (const engine::DbError& e) {
        st_.msg.error(QStringLiteral("Hiba a mentésben\r") + e.text());
        return false;
    }

    QCoreApplication::processEvents();
    st_.msg.status(0, QStringLiteral("Az elszámolt lapok beolvasása folyamatban...!!"));
    try {
        if (!feldolgoz(masolat[1], masolat[3])) return false;
    } catch (const RavHiba& e) {
        st_.msg.error(e.text());
        return false;
    } catch (const engine::DbError& e) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban\r") + e.text());
        return false;
    }
    zaroUzenet_ = kKesz + QStringLiteral("\r") + osszegzes_.text();
    st_.msg.information(zaroUzenet_);
    return true;
}

ElszamoltValasz elszamoltOlvas(const QString& mbPath, const QString& ravPath, core::Idoszak P) {
    ElszamoltValasz v;
    // Every row of Mb read and checked before anything changes.
    RavFajl mb(mbPath,
               {QStringLiteral("ULVKOD"), QStringLiteral("SORSZAM"), QStringLiteral("IDOSZAK"),
                QStringLiteral("RESZ"), QStringLiteral("DATUMTOL"), QStringLiteral("ELSZIDO")});
    const int fUlv = mb.field(QStringLiteral("ULVKOD")), fSor = mb.field(QStringLiteral("SORSZAM")),
              fIdo = mb.field(QStringLiteral("IDOSZAK")), fResz = mb.field(QStringLiteral("RESZ")),
              fDat = mb.field(QStringLiteral("DATUMTOL")),
              fElsz = mb.field(QStringLiteral("ELSZIDO"));
    const auto oszlop = [](const char* name) -> const engine::FieldDef& {
        return db::column(db::TableId::Lapb, QLatin1String(name));
    };
    const engine::FieldDef &cIntkod = oszlop("INTKOD"), &cSorsz = oszlop("SORSZ"),
                           &cResz = oszlop("RESZ");
    if (!mb.first() || mb.blank(fUlv)) throw RavHiba(QStringLiteral("Nincs elszámolt lap"));
    do {
        mb.text(fUlv, cIntkod);
        const QString sorszam = mb.text(fSor, cSorsz, true);
        if (sorszam.isEmpty()) mb.hibasErtek(fSor, kitoltendo());
        if (mb.idoszak(fIdo) != P)
            throw RavHiba(
                QStringLiteral("Nem az elszámolási időszak lapja, nem tölthető ki az elszámolás!"));
        const QString resz = mb.text(fResz, cResz);
        const QDate datum = mb.date(fDat);
        if (!datum.isValid()) mb.hibasErtek(fDat, nemDatum());
        v.vizitek.push_back(
            {nullakkal(sorszam.toLongLong()), resz, datum, elszamolasiIdo(mb, fElsz)});
    } while (mb.next());

    RavFajl rav(ravPath,
                {QStringLiteral("IDOSZAK"), QStringLiteral("ALAPDIJ"), QStringLiteral("ELOLEG")});
    if (rav.first()) {
        const int fi = rav.field(QStringLiteral("IDOSZAK"));
        // The period as ZARAS holds it, whichever form the office used.
        if (!rav.blank(fi)) v.ravIdoszak = rav.idoszak(fi).text();
        v.alapdij = dij(rav, rav.field(QStringLiteral("ALAPDIJ")), QStringLiteral("ALAPDIJ"));
        v.eloleg = dij(rav, rav.field(QStringLiteral("ELOLEG")), QStringLiteral("ELOLEG"));
    }
    return v;
}

bool ElszamoltLapok::feldolgoz(const QString& mbPath, const QString& ravPath) {
    auto& t = st_.tables;
    const QString P = st_.id.text();
    const ElszamoltValasz valasz = elszamoltOlvas(mbPath, ravPath, st_.id);
    const QString& ravIdoszak = valasz.ravIdoszak;

    // The period's visit rows by sheet and day, each key's rows in record
    // order: the n-th accepted row of a key goes to its n-th local row.
    QHash<QString, std::deque<std::uint32_t>> helyi;
    t.dbo.each(QStringLiteral("select rowid, sorsz, resz, apdatum from lapb where idoszak = ?"),
               {P}, [&](const QVariantList& r) {
                   helyi[vizitKulcs(r[1].toString(), r[2].toString(),
                                    QDate::fromString(r[3].toString(), Qt::ISODate))]
                       .push_back(std::uint32_t(r[0].toLongLong()));
               });
    for (auto& rows : helyi)
        std::sort(rows.begin(), rows.end());

    engine::ChangeUnit unit({&t.lapb, &t.lap, &t.zaras});
    osszegzes_.olvasott = int(valasz.vizitek.size());
    for (const ElszamoltValasz::Vizit& v : valasz.vizitek) {
        auto it = helyi.find(vizitKulcs(v.sorsz, v.resz, v.datum));
        if (it == helyi.end() || it->empty()) {
            ++osszegzes_.nincsHelyi;
            continue;
        }
        t.lapb.go(it->front());
        it->pop_front();
        t.lapb.edit();
        t.lapb.setValue(QStringLiteral("ELIDO"), v.elido);
        t.lapb.post();
        ++osszegzes_.bejegyzett;
    }

    // The payment state of every sheet of the period with accounted visits.
    const engine::Query allapot = t.dbo.query(
        QStringLiteral("select a.rowid, a.szviz, a.allapot, sum(b.vizitdb) "
                       "from lap a, lapb b "
                       "where b.idoszak = ? and b.elido is not null and a.idoszak = b.idoszak "
                       "and a.sorsz = b.sorsz and a.resz is b.resz "
                       "group by a.rowid"),
        {P});
    for (const QVariantList& r : allapot.rows()) {
        const QString regi = r[2].toString();
        const QString uj = fizetesiAllapot(r[1].toInt(), r[3].toInt(), regi);
        if (uj.trimmed() == regi.trimmed()) continue;
        t.lap.go(std::uint32_t(r[0].toLongLong()));
        t.lap.edit();
        t.lap.setValue(QStringLiteral("ALLAPOT"), uj);
        t.lap.post();
        ++osszegzes_.allapotValtozott;
    }

    // The fees, when the period the office names has a ZARAS row.
    if (!ravIdoszak.isEmpty()) {
        const engine::Query z =
            t.dbo.query(QStringLiteral("select rowid from zaras where idoszak = ? order by rowid"),
                        {ravIdoszak});
        if (!z.isEmpty()) {
            t.zaras.go(std::uint32_t(z.value(0, 0).toLongLong()));
            t.zaras.edit();
            t.zaras.setValue(QStringLiteral("ALAPDIJ"), valasz.alapdij);
            t.zaras.setValue(QStringLiteral("ELOLEG"), valasz.eloleg);
            t.zaras.setValue(QStringLiteral("RAVKULD"), st_.clock.today());
            t.zaras.post();
            osszegzes_.dijIdoszak = ravIdoszak;
        }
    }
    unit.commit();
    return true;
}

} // namespace exch
