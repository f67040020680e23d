#include "db/localtables.h"

#include "db/tableops.h"
#include "engine/dberror.h"
#include "engine/fieldcodec.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "ui/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace db {

namespace {

const QString kKeszitesHiba = QStringLiteral("Hiba az állomány készítésében!");
const QString kLefutasHiba = QStringLiteral("Hiba a lefutásban!");
// The financing code of an upgraded row: the contract's from finkodtol on
// (the first two parameters of the conversion), empty before.
const QString kFinkodOszlop = QStringLiteral("case when a.idoszak>=? then ? end as finkod");

std::optional<QString> creationActive(const TableDef& def) {
    if (def.activeTag.isEmpty()) return std::nullopt;
    return def.activeTag;
}

void openIfClosed(engine::Table& table, const QString& path) {
    if (!table.isOpen()) table.open(path);
}

} // namespace

// ------------------------------------------------------------ helpers

QString LocalTables::pathOf(const TableDef& def) const {
    return t_.file(def.fileName);
}

QString LocalTables::createFile(const TableDef& def) {
    const QString path = QDir(t_.directory()).filePath(def.fileName);
    const QString existing = engine::findFileNoCase(path);
    if (existing != path && QFileInfo::exists(existing)) removeTableFiles(existing);
    engine::Table::create(path, def.fields);
    return path;
}

void LocalTables::removeTableFiles(const QString& dbfPath) {
    const QFileInfo fi(dbfPath);
    const QString mdx = engine::findFileNoCase(fi.dir().filePath(indexFileName(fi.fileName())));
    for (const QString& f : {dbfPath, mdx})
        if (QFileInfo::exists(f) && !QFile::remove(f))
            throw engine::DbError(engine::DbError::Kind::Io, f, QStringLiteral("nem törölhető"));
}

void LocalTables::ensureIndexes(const TableDef& def, engine::Table& table, const QString& path) {
    if (!engine::Table::indexFileOk(path)) buildIndexes(table, path, def.tags, creationActive(def));
}

QString LocalTables::targetOf(const TableDef& def) const {
    return QDir(t_.directory()).filePath(def.fileName);
}

int LocalTables::streamInto(const QString& sql, engine::TableBuilder& out,
                            const QVariantList& params) {
    try {
        t_.dbo.each(sql, params, [&](const QVariantList& row) { out.addRow(row); });
    } catch (const engine::DbError& e) {
        out.abandon();
        if (e.kind() != engine::DbError::Kind::Query) throw;
        msg_.error(kKeszitesHiba);
        throw StartupStopped();
    }
    return int(out.count());
}

QString LocalTables::replaceFile(const TableDef& def, const QString& oldPath,
                                 engine::TableBuilder& fresh) {
    const QString target = targetOf(def);
    const QFileInfo fi(oldPath);
    const QString mdx = engine::findFileNoCase(fi.dir().filePath(indexFileName(fi.fileName())));
    if (QFileInfo::exists(mdx) && !QFile::remove(mdx))
        throw engine::DbError(engine::DbError::Kind::Io, mdx, QStringLiteral("nem törölhető"));
    // The new file, synced, replaces the target in one durable step.
    fresh.commit();
    if (oldPath != target && QFileInfo::exists(oldPath)) removeTableFiles(oldPath);
    return target;
}

QVariantList LocalTables::finkodParams(const TableDef& def, const QString& finkod,
                                       const QString& finkodtol) {
    // A code the field cannot hold is not written: the rows keep an empty
    // one and the step reports it after the file is in place.
    bool fits = false;
    for (const engine::FieldDef& f : def.fields) {
        if (f.name.compare(QLatin1String("FINKOD"), Qt::CaseInsensitive) != 0) continue;
        engine::FieldDef g = f;
        g.offset = 0;
        QByteArray buf(g.width, ' ');
        try {
            engine::encodeField(g, finkod, buf.data(), QString());
            fits = true;
        } catch (const engine::DbError&) {
        }
    }
    finkodFits_ = fits;
    return {finkodtol, fits ? QVariant(finkod) : QVariant()};
}

// ------------------------------------------------------------ received tables

bool LocalTables::szerzNyit() {
    const bool partMissing = !QFileInfo::exists(pathOf(layout(TableId::Part)));
    std::vector<TableId> missing;
    for (TableId id : receivedTables()) {
        if (id == TableId::Part) continue;
        const TableDef& def = layout(id);
        const QString path = pathOf(def);
        if (!QFileInfo::exists(path))
            missing.push_back(id);
        else if (!engine::Table::indexFileOk(path))
            buildIndexes(tableOf(t_, id), path, def.tags, creationActive(def));
    }

    if (partMissing || !missing.empty()) {
        const QString cr = QStringLiteral("\r");
        QString text =
            QStringLiteral("Nincsenek szerződéses adatok!\r") + QStringLiteral("Hiányzik:") + cr;
        if (partMissing) text += QStringLiteral("    PART.DBF") + cr;
        for (TableId id : missing) {
            if (id == TableId::Bnotorzs) continue;
            text += QStringLiteral("    ") + layout(id).fileName.toUpper() + cr;
        }
        if (std::find(missing.begin(), missing.end(), TableId::Bnotorzs) != missing.end())
            text += QStringLiteral("Hiányzik még a BNOTORZS.DBF is.") + cr;
        text += QStringLiteral("Kérje a hiányzó állományokat a RAV-től,") + cr +
                QStringLiteral("és másolja be a DATA könyvtárba!!") + cr + cr +
                QStringLiteral("A program ezek nélkül nem indul!!") + cr +
                QStringLiteral("Kilépés!!");
        msg_.error(text);
        return false;
    }

    for (TableId id : receivedTables())
        openIfClosed(tableOf(t_, id), pathOf(layout(id)));
    return true;
}

// ------------------------------------------------------------ local tables

void LocalTables::createPlain(TableId id) {
    const TableDef& def = layout(id);
    engine::Table& table = tableOf(t_, id);
    QString path = pathOf(def);
    if (!QFileInfo::exists(path)) path = createFile(def);
    ensureIndexes(def, table, path);
    openIfClosed(table, path);
}

void LocalTables::crtzaras() {
    createPlain(TableId::Zaras);
}

void LocalTables::crtapol() {
    createPlain(TableId::Apol);
}

void LocalTables::crtorvos() {
    createPlain(TableId::Orvos);
}

void LocalTables::crtmaradv() {
    createPlain(TableId::Maradv);
}

void LocalTables::crtbeteg() {
    const TableDef& def = layout(TableId::Beteg);
    engine::Table& beteg = t_.beteg;
    QString path = pathOf(def);
    if (!QFileInfo::exists(path)) path = createFile(def);
    openIfClosed(beteg, path);
    if (!beteg.hasField(QStringLiteral("AZTIP"))) {
        engine::TableBuilder fresh(targetOf(def), def.fields);
        streamInto(QStringLiteral("select taj,nev,neme,'1' as aztip,kozigkod,cime1,cime2,szulh,"
                                  "szuli ") +
                       QStringLiteral("from beteg order by taj"),
                   fresh);
        beteg.close();
        path = replaceFile(def, path, fresh);
        beteg.open(path);
    }
    ensureIndexes(def, beteg, path);
    openIfClosed(beteg, path);
}

void LocalTables::createWithFinkod(TableId id, const QString& conversion, const QString& finkod,
                                   const QString& finkodtol) {
    const TableDef& def = layout(id);
    engine::Table& table = tableOf(t_, id);
    QString path = pathOf(def);
    if (!QFileInfo::exists(path)) path = createFile(def);
    openIfClosed(table, path);
    if (!table.hasField(QStringLiteral("FINKOD"))) {
        // The rows of finkodtol or later get the financing code on their way
        // into the new file, so the file that takes the old one's place is
        // complete: no later step can be cut short and never redone.
        engine::TableBuilder fresh(targetOf(def), def.fields);
        streamInto(conversion, fresh, finkodParams(def, finkod, finkodtol));
        table.close();
        path = replaceFile(def, path, fresh);
        table.open(path);
        ensureIndexes(def, table, path);
        table.open(path);
        if (!finkodFits_) {
            msg_.error(kLefutasHiba);
            return;
        }
    }
    ensureIndexes(def, table, path);
    openIfClosed(table, path);
}

void LocalTables::crtelrend(const QString& finkod, const QString& finkodtol) {
    createWithFinkod(
        TableId::Elrend,
        QStringLiteral("select idoszak,intkod,") + kFinkodOszlop +
            QStringLiteral(",sorsz,resz,jorvkod,elrend,szakvet,gyak,elvizdb,engszam, ") +
            QStringLiteral(" engdat,jeloles,elkuldve ") +
            QStringLiteral("from elrend a order by a.idoszak,a.sorsz,a.resz"),
        finkod, finkodtol);
}

void LocalTables::crtlapb(const QString& finkod, const QString& finkodtol) {
    createWithFinkod(TableId::Lapb,
                     QStringLiteral("select idoszak,intkod,") + kFinkodOszlop +
                         QStringLiteral(",sorsz,resz,tevkod,elltip,onkep,apdatum,aptaj,vizitdb, ") +
                         QStringLiteral(" elido,jeloles,elkuldve ") +
                         QStringLiteral("from lapb a order by a.idoszak,a.sorsz,a.resz"),
                     finkod, finkodtol);
}

void LocalTables::crtlapuj(const QString& finkod, const QString& finkodtol) {
    const TableDef& def = layout(TableId::Lap);
    engine::Table& lap = t_.lap;
    setLapFilter(lap);
    QString path = pathOf(def);
    const bool exists = QFileInfo::exists(path);
    const bool toCreate = !exists;
    bool toConvert = false;

    // 1-4: the sheets before 2005.02 of an old-layout LAP go to LAPOLD. A LAP
    // in the current layout is never read here: it only matters whether there
    // are such sheets when the table is converted.
    if (exists) {
        openIfClosed(lap, path);
        toConvert = !lap.hasField(QStringLiteral("FINKOD"));
    }
    int n = 0;
    if (toConvert) {
        const TableDef& oldDef = layout(TableId::Lapold);
        const QString oldTarget = targetOf(oldDef);
        engine::TableBuilder fresh(oldTarget, oldDef.fields);
        n = streamInto(QStringLiteral("select * from lap a where idoszak<'2005.02' ") +
                           QStringLiteral("order by a.idoszak,a.sorsz,a.resz"),
                       fresh);
        if (n > 0)
            replaceFile(oldDef, engine::findFileNoCase(oldTarget), fresh);
        else
            fresh.abandon();
    }
    if (n == 0 && exists && !engine::Table::indexFileOk(path))
        buildIndexes(lap, path, def.tags, creationActive(def));

    // 5-9: the later sheets in the current layout, in a new file that takes
    // the old one's place only when it is complete.
    if (toConvert) {
        openIfClosed(lap, path);
        engine::TableBuilder fresh(targetOf(def), def.fields);
        streamInto(
            QStringLiteral("select idoszak,intkod,") + kFinkodOszlop +
                QStringLiteral(",sorsz,resz,taj,kozigkod,tpotl,bnoki,bnorov,elb,apnap, ") +
                QStringLiteral(" bnofo,bnomell,bnoell,orvoskod,elszviz,elszam,lezdat,tevkodok,"
                               "aptaj1,aptaj2,' ' as aztip,' ' as terkat, ") +
                QStringLiteral(" ' ' as allamp,szviz,tele,jeloles,elkuldve,allapot,modtipus ") +
                QStringLiteral(
                    "from lap a where a.idoszak>='2005.02' order by a.idoszak,a.sorsz,a.resz"),
            fresh, finkodParams(def, finkod, finkodtol));
        lap.close();
        path = replaceFile(def, path, fresh);
    } else if (toCreate) {
        path = createFile(def);
    }
    ensureIndexes(def, lap, path);
    if (toConvert && !finkodFits_) {
        openIfClosed(lap, path);
        msg_.error(kLefutasHiba);
        return;
    }
    openIfClosed(lap, path);
}

void LocalTables::createLocalTables(const QString& finkod, const QString& finkodtol) {
    crtapol();
    crtorvos();
    crtbeteg();
    crtmaradv();
    crtelrend(finkod, finkodtol);
    crtlapuj(finkod, finkodtol);
    crtlapb(finkod, finkodtol);
}

} // namespace db
