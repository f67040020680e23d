#include "db/tableops.h"

#include "core/idoszak.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace db {

namespace {

// The table objects with the file names they open, in the order of mindnyit.
struct OpenEntry {
    engine::Table TableSet::*table;
    const char* fileName;
};

const OpenEntry openOrder[] = {
    {&TableSet::lap, "LAP.dbf"},       {&TableSet::lapb, "Lapb.dbf"},
    {&TableSet::szerz, "SZERZ.dbf"},   {&TableSet::szolgsz, "SZOLGSZ.dbf"},
    {&TableSet::part, "PART.DBF"},     {&TableSet::telep, "TELEPUL.dbf"},
    {&TableSet::terul, "TERULET.dbf"}, {&TableSet::thely, "THELY.dbf"},
    {&TableSet::apol, "APOL.DBF"},     {&TableSet::beteg, "BETEG.dbf"},
    {&TableSet::orvos, "ORVOS.DBF"},   {&TableSet::bno, "BNOTORZS.dbf"},
    {&TableSet::maradv, "MARADV.dbf"}, {&TableSet::zaras, "ZARAS.DBF"},
    {&TableSet::elrend, "ELREND.dbf"},
};

engine::Table TableSet::*const closeOrder[] = {
    &TableSet::szerz,  &TableSet::szolgsz, &TableSet::part,   &TableSet::telep, &TableSet::terul,
    &TableSet::thely,  &TableSet::apol,    &TableSet::beteg,  &TableSet::orvos, &TableSet::bno,
    &TableSet::maradv, &TableSet::zaras,   &TableSet::elrend, &TableSet::lap,   &TableSet::lapb,
};

const char* const indexFiles[] = {
    "Apol.mdx",    "Beteg.mdx", "Orvos.mdx",   "BNOtorzs.mdx", "Szerz.mdx",
    "Szolgsz.mdx", "Thely.mdx", "Terulet.mdx", "Telepul.mdx",  "Maradv.mdx",
    "Zaras.mdx",   "Lap.mdx",   "Lapb.mdx",    "Elrend.mdx",
};

} // namespace

engine::Table& tableOf(TableSet& t, TableId id) {
    switch (id) {
    case TableId::Zaras:
        return t.zaras;
    case TableId::Apol:
        return t.apol;
    case TableId::Orvos:
        return t.orvos;
    case TableId::Beteg:
        return t.beteg;
    case TableId::Maradv:
        return t.maradv;
    case TableId::Elrend:
        return t.elrend;
    case TableId::Lap:
        return t.lap;
    case TableId::Lapb:
        return t.lapb;
    case TableId::Sys:
        return t.sys;
    case TableId::Part:
        return t.part;
    case TableId::Szerz:
        return t.szerz;
    case TableId::Szolgsz:
        return t.szolgsz;
    case TableId::Telepul:
        return t.telep;
    case TableId::Terulet:
        return t.terul;
    case TableId::Thely:
        return t.thely;
    case TableId::Bnotorzs:
        return t.bno;
    case TableId::Lapold:
        break;
    }
    throw std::logic_error("db::tableOf: the table has no object of its own");
}

void setLapFilter(engine::Table& lap) {
    // A table filter takes no bound values: the cut-over is written into it.
    lap.setFilter(QStringLiteral("idoszak>='%1'").arg(core::hatar::elsoElfogadott.text()));
    lap.setFiltered(true);
}

void buildIndexes(engine::Table& table, const QString& dbfPath, const std::vector<TagDef>& tags,
                  const std::optional<QString>& active, Header header) {
    // The object's own choice of order, for the tables whose order is not
    // prescribed here.
    const QString keep = active ? QString() : table.activeTag();
    table.close();

    const QFileInfo fi(engine::findFileNoCase(dbfPath));
    const QString mdx = engine::findFileNoCase(fi.dir().filePath(indexFileName(fi.fileName())));
    if (QFileInfo::exists(mdx) && !QFile::remove(mdx))
        throw engine::DbError(engine::DbError::Kind::Io, mdx, QStringLiteral("nem törölhető"));
    if (header == Header::Clear) engine::clearHeaderFlags(fi.filePath());

    table.open(fi.filePath());
    for (const TagDef& tag : tags)
        table.addTag(tag.name, tag.expression);
    if (active)
        table.setActiveTag(*active);
    else if (!keep.isEmpty())
        table.setActiveTag(keep);
    table.close();
}

void rebuildIndexes(engine::Table& table, const QString& dbfPath, const std::vector<TagDef>& tags,
                    const std::optional<QString>& active) {
    const QString keep = active ? QString() : table.activeTag();
    table.close();
    const QString path = engine::findFileNoCase(dbfPath);
    table.open(path);
    if (table.header().indexFlag != 0 || table.header().languageDriver != 0) {
        table.close();
        engine::clearHeaderFlags(path);
        table.open(path);
    }
    std::vector<std::pair<QString, QString>> defs;
    for (const TagDef& tag : tags)
        defs.emplace_back(tag.name, tag.expression);
    try {
        table.replaceTags(defs);
        if (active)
            table.setActiveTag(*active);
        else if (!keep.isEmpty() && !table.tagExpression(keep).isEmpty())
            table.setActiveTag(keep);
    } catch (...) {
        try {
            table.close();
        } catch (const engine::DbError&) {
        }
        throw;
    }
    table.close();
}

void mindnyit(TableSet& t) {
    setLapFilter(t.lap);
    for (const OpenEntry& e : openOrder) {
        engine::Table& table = t.*(e.table);
        if (!table.isOpen()) table.open(t.file(QLatin1String(e.fileName)));
    }
}

void mindzar(TableSet& t) {
    // A backup, a restore or re-indexing must not cut into an operation, nor
    // overtake a rollback that is still due at the next start.
    if (engine::ChangeUnit::openUnits() > 0)
        throw engine::DbError(engine::DbError::Kind::Usage, QString(),
                              QStringLiteral("Egy adatmódosítás még folyamatban van, a táblák "
                                             "most nem zárhatók be."));
    if (QFileInfo::exists(engine::journalPath(t.directory())))
        throw engine::DbError(engine::DbError::Kind::Io, engine::journalPath(t.directory()),
                              QStringLiteral("egy félbeszakadt művelet visszaállítása még hátra "
                                             "van: lépjen ki, és indítsa újra a programot!"));
    for (engine::Table TableSet::*m : closeOrder)
        (t.*m).close();
}

void indtorol(const TableSet& t) {
    for (const char* name : indexFiles) {
        const QString path = t.file(QLatin1String(name));
        if (QFileInfo::exists(path)) QFile::remove(path); // a failure leaves the old file
    }
}

void indexel(TableSet& t) {
    for (const ReindexEntry& e : reindexOrder()) {
        const TableDef& def = layout(e.id);
        const QString path = t.file(def.fileName);
        if (!engine::Table::indexFileOk(path))
            buildIndexes(tableOf(t, e.id), path, def.tags, e.activeAfter);
    }
    mindnyit(t);
}

void packSheetTables(TableSet& t, double minShare) {
    for (engine::Table* table : {&t.lap, &t.lapb, &t.elrend}) {
        const std::uint32_t all = table->fileRecordCount();
        if (all == 0) continue;
        // recordCount() counts through the filter; the deleted share is of
        // the whole file.
        const bool on = table->filtered();
        table->setFiltered(false);
        const std::uint32_t deleted = all - table->recordCount();
        table->setFiltered(on);
        if (deleted > 0 && double(deleted) >= minShare * double(all)) table->pack();
    }
}

void reindexAll(TableSet& t, ui::Messages& msg, const std::function<void()>& szerzadat) {
    mindzar(t);
    try {
        for (const ReindexEntry& e : reindexOrder()) {
            const TableDef& def = layout(e.id);
            rebuildIndexes(tableOf(t, e.id), t.file(def.fileName), def.tags, e.activeAfter);
        }
        mindnyit(t);
        packSheetTables(t, 0.0);
    } catch (const engine::DbError&) {
        // Each table has its new index or its old one, whole: every table
        // that opens is opened again, and the failure is told once by the
        // caller.
        setLapFilter(t.lap);
        for (const OpenEntry& e : openOrder) {
            engine::Table& table = t.*(e.table);
            try {
                if (!table.isOpen()) table.open(t.file(QLatin1String(e.fileName)));
            } catch (const engine::DbError&) {
            }
        }
        throw;
    }
    if (szerzadat) szerzadat();
    QCoreApplication::processEvents();
    msg.status(0, QStringLiteral("Az indexelés befejeződött!!"));
}

} // namespace db
