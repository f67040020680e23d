#include "masters/browseconfig.h"

#include "db/tableset.h"
#include "engine/scan.h"
#include "engine/table.h"

#include <QHash>
#include <memory>

namespace masters {

namespace {

BrowseColumn col(const QString& title, const QString& field,
                 Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    BrowseColumn c;
    c.title = title;
    c.field = field;
    c.align = align;
    return c;
}

} // namespace

BrowseConfig apolPanel(db::TableSet& t) {
    BrowseConfig c;
    c.name = QStringLiteral("TApolkep");
    c.table = &t.apol;
    c.gridName = QStringLiteral("DBGApol");
    c.gridTitle = QStringLiteral("Szakápolók");
    c.gridHint = QStringLiteral("Szakápolói adatok megjelenítése");
    c.panelHint = QStringLiteral("Ápolói adatok");
    c.columns = {col(QStringLiteral("TAJ szám"), QStringLiteral("APTAJ")),
                 col(QStringLiteral("Név"), QStringLiteral("ANEV"))};
    c.searchTags = {{0, QStringLiteral("APOL1")}, {1, QStringLiteral("Apol2")}};
    return c;
}

BrowseConfig orvosPanel(db::TableSet& t) {
    BrowseConfig c;
    c.name = QStringLiteral("TOrvoskep");
    c.table = &t.orvos;
    c.gridName = QStringLiteral("DBGOrvos");
    c.gridTitle = QStringLiteral("Orvosok");
    c.gridHint = QStringLiteral("Orvos adatok megjelenítése");
    c.panelHint = QStringLiteral("Orvos adatai");
    c.columns = {col(QStringLiteral("Pecsétszám"), QStringLiteral("ORVOSKOD")),
                 col(QStringLiteral("Név"), QStringLiteral("ONEV"))};
    c.searchTags = {{0, QStringLiteral("ORVOS1")}, {1, QStringLiteral("ORVOS2")}};
    return c;
}

BrowseConfig betegPanel(db::TableSet& t) {
    BrowseConfig c;
    c.name = QStringLiteral("TBetegkep");
    c.table = &t.beteg;
    c.gridName = QStringLiteral("DBGBeteg");
    c.gridTitle = QStringLiteral("Betegek");
    c.gridHint = QStringLiteral("Beteg adatok megjelenítése");
    c.panelHint = QStringLiteral("Beteg adatai");
    c.columns = {col(QStringLiteral("TAJ szám"), QStringLiteral("TAJ")),
                 col(QStringLiteral("Beteg neve"), QStringLiteral("NEV")),
                 col(QStringLiteral("Neme"), QStringLiteral("NEME")),
                 col(QStringLiteral("Születési idő"), QStringLiteral("SZULI"))};
    c.searchTags = {{0, QStringLiteral("Beteg1")}, {1, QStringLiteral("Beteg2")}};
    return c;
}

BrowseConfig telepPanel(db::TableSet& t) {
    BrowseConfig c;
    c.name = QStringLiteral("TTelepkep");
    c.table = &t.telep;
    c.gridName = QStringLiteral("DBGTelep");
    c.gridTitle = QStringLiteral("Települések");
    c.columns = {col(QStringLiteral("Kód"), QStringLiteral("KOZIGKOD")),
                 col(QStringLiteral("Megnevezés"), QStringLiteral("HELYNEV"))};
    c.searchTags = {{0, QStringLiteral("TEL1")}, {1, QStringLiteral("TEL2")}};
    return c;
}

BrowseConfig bnoPanel(db::TableSet& t) {
    BrowseConfig c;
    c.name = QStringLiteral("TBNOkep");
    c.table = &t.bno;
    c.gridName = QStringLiteral("DBGbno");
    c.gridTitle = QStringLiteral("BNO kódok");
    c.gridHint = QStringLiteral("BNO kódok megjelenítése");
    c.panelHint = QStringLiteral("BNO törzs megjelenítés");
    c.columns = {col(QStringLiteral("BNO kód"), QStringLiteral("KOD10")),
                 col(QStringLiteral("Megnevezés"), QStringLiteral("NEV"))};
    c.searchTags = {{0, QStringLiteral("bno1")}, {1, QStringLiteral("bno2")}};
    return c;
}

BrowseConfig lapPanel(db::TableSet& t) {
    BrowseConfig c;
    c.name = QStringLiteral("TLapkep");
    c.table = &t.lap;
    c.gridName = QStringLiteral("DBGlap");
    c.gridTitle = QStringLiteral("Elszámolási lapok");
    // Columns without a title of their own show the field's name.
    BrowseColumn bnev = col(QStringLiteral("bnev"), QString());
    bnev.value = patientNameLookup(t.beteg);
    bnev.chars = 25; // BETEG.NEV
    BrowseColumn fizetve = col(QStringLiteral("Fizetve"), QStringLiteral("ALLAPOT"));
    fizetve.shown = fizetveJel;
    c.columns = {
        col(QStringLiteral("Sorszám"), QStringLiteral("SORSZ"), Qt::AlignRight | Qt::AlignVCenter),
        col(QStringLiteral("RESZ"), QStringLiteral("RESZ")),
        col(QStringLiteral("Taj szám"), QStringLiteral("TAJ")),
        bnev,
        col(QStringLiteral("IDOSZAK"), QStringLiteral("IDOSZAK")),
        col(QStringLiteral("Vizitszám"), QStringLiteral("SZVIZ")),
        col(QStringLiteral("Elküldve"), QStringLiteral("ELKULDVE")),
        fizetve,
        col(QStringLiteral("Jel"), QStringLiteral("JELOLES")),
        col(QStringLiteral("Korr."), QStringLiteral("MODTIPUS"))};
    c.searchTags = {{0, QStringLiteral("LAP1")}, {2, QStringLiteral("LAP2")}};
    c.lapMode = true;
    return c;
}

QString fizetveJel(const QString& allapot) {
    return allapot == QStringLiteral("\u0171") ? QStringLiteral("\u221A") : allapot;
}

BrowseConfig maradvPanel(db::TableSet& t) {
    BrowseConfig c;
    c.name = QStringLiteral("Tmaradkep");
    c.table = &t.maradv;
    c.gridName = QStringLiteral("DBGmarad");
    c.gridTitle = QStringLiteral("Maradványok");
    c.gridHint = QStringLiteral("Maradványok megjelenítése");
    c.columns = {col(QStringLiteral("Időszak"), QStringLiteral("MIDOSZAK"), Qt::AlignCenter),
                 col(QStringLiteral("Ft"), QStringLiteral("FT"))};
    c.typeAhead = false;
    return c;
}

std::function<QString(const engine::Table&, std::uint32_t)>
patientNameLookup(engine::Table& beteg, const QString& tajField) {
    struct Cache {
        bool valid = false;
        std::uint64_t generation = 0;
        QString path;
        QHash<QString, QString> names;
    };
    auto cache = std::make_shared<Cache>();
    engine::Table* patients = &beteg;
    return [cache, patients, tajField](const engine::Table& t, std::uint32_t recno) -> QString {
        if (!t.isOpen() || !patients->isOpen() || recno == 0 || recno > t.fileRecordCount())
            return {};
        const int tf = t.fieldIndex(tajField);
        if (tf < 0) return {};
        if (!cache->valid || cache->generation != patients->generation() ||
            cache->path != patients->path()) {
            // One pass over BETEG's records; the first live record of a
            // TAJ number wins, as a lookup in record order would find it.
            cache->names.clear();
            engine::Scan scan(*patients);
            const int bt = scan.field(QStringLiteral("TAJ"));
            const int bn = scan.field(QStringLiteral("NEV"));
            if (bt >= 0 && bn >= 0) {
                cache->names.reserve(qsizetype(patients->fileRecordCount()));
                while (scan.next()) {
                    const QString taj = scan.record().text(bt);
                    if (!cache->names.contains(taj))
                        cache->names.insert(taj, scan.record().text(bn));
                }
            }
            cache->valid = true;
            cache->generation = patients->generation();
            cache->path = patients->path();
        }
        const QString taj = t.record(recno).text(tf);
        if (taj.isEmpty()) return {};
        return cache->names.value(taj);
    };
}

} // namespace masters
