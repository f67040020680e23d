#pragma once
// Master-data tables built in code for the browse tests: a table object of a
// db::TableSet opened on a fresh file of the program's layout, filled with
// rows and indexed with the layout's tags. Header-only, so that any test
// program can include it.

#include "db/layouts.h"
#include "db/tableset.h"
#include "engine/table.h"

#include <QDir>
#include <QString>
#include <QVariantList>
#include <vector>

namespace testsupport {

// Creates the file of table `id` in `dir` with its layout, opens `t` on it,
// appends `rows` (values by field position), adds the layout's tags and makes
// its usual tag active (`activeTag` when given).
inline void makeTable(engine::Table& t, const QString& dir, db::TableId id,
                      const std::vector<QVariantList>& rows = {},
                      const QString& activeTag = QString()) {
    const db::TableDef& def = db::layout(id);
    const QString path = QDir(dir).filePath(def.fileName);
    engine::Table::create(path, def.fields);
    t.open(path);
    if (!rows.empty()) t.appendRows(rows);
    for (const db::TagDef& tag : def.tags)
        t.addTag(tag.name, tag.expression);
    t.setActiveTag(activeTag.isEmpty() ? def.activeTag : activeTag);
    t.first();
}

// A BETEG row: TAJ, name, sex ("F"/"N"), birth date.
inline QVariantList patientRow(const QString& taj, const QString& name, const QString& neme,
                               const QDate& szuli = QDate(1940, 1, 1)) {
    return {taj,
            name,
            neme,
            QStringLiteral("1"),
            QStringLiteral("1234567"),
            QStringLiteral("Pécs"),
            QStringLiteral("Fő utca 1."),
            QStringLiteral("Pécs"),
            szuli};
}

// A LAP row with the fields the sheet list shows; the rest stays blank.
inline QVariantList sheetRow(const QString& idoszak, const QString& sorsz, const QString& resz,
                             const QString& taj, int szviz) {
    QVariantList row;
    for (const engine::FieldDef& f : db::layout(db::TableId::Lap).fields) {
        if (f.name == QLatin1String("IDOSZAK"))
            row << idoszak;
        else if (f.name == QLatin1String("SORSZ"))
            row << sorsz;
        else if (f.name == QLatin1String("RESZ"))
            row << resz;
        else if (f.name == QLatin1String("TAJ"))
            row << taj;
        else if (f.name == QLatin1String("SZVIZ"))
            row << szviz;
        else
            row << QVariant();
    }
    return row;
}

} // namespace testsupport
