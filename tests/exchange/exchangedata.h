#pragma once
// Helpers of the import tests: the county office's files written with the
// engine's table builder, sheets and visits put into a started program's
// tables, and a table file's bytes for "nothing changed" checks.

#include "core/appstate.h"
#include "engine/dbfheader.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "support/testsupport.h"

#include <QDate>
#include <QFile>
#include <QString>
#include <QVariant>
#include <stdexcept>
#include <vector>

namespace exchangedata {

inline engine::FieldDef C(const char* n, int w) {
    return engine::fieldDef(QLatin1String(n), 'C', w);
}
inline engine::FieldDef N(const char* n, int w, int d = 0) {
    return engine::fieldDef(QLatin1String(n), 'N', w, d);
}
inline engine::FieldDef D(const char* n) {
    return engine::fieldDef(QLatin1String(n), 'D');
}

inline void writeDbf(const QString& path, std::vector<engine::FieldDef> fields,
                     const std::vector<QVariantList>& rows) {
    engine::TableBuilder b(path, std::move(fields));
    for (const QVariantList& r : rows)
        b.addRow(r);
    b.commit();
}

// Writes `bytes` (blank-padded or cut to the field's width) over field
// `name` of record `recno` (from 1) of a dBase file: the values no table
// builder would write.
inline void patchField(const QString& path, std::uint32_t recno, const char* name,
                       const QByteArray& bytes) {
    engine::FieldDef f;
    qint64 at = 0;
    {
        engine::Table t;
        t.open(path, engine::Table::Mode::ReadOnly);
        f = t.fields()[size_t(t.fieldIndex(QLatin1String(name)))];
        at = t.header().headerLength + qint64(recno - 1) * t.header().recordLength + f.offset;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(at) ||
        file.write(bytes.leftJustified(f.width, ' ', true)) != f.width)
        throw std::runtime_error("patchField: cannot write");
}

// A sheet of `szviz` visits with one visit row per day from the first of the
// period, `vizitdb` visits each.
inline void addSheet(core::AppState& st, const QString& idoszak, const QString& sorsz,
                     const QString& resz, int szviz, int rows, int vizitdb = 1) {
    st.tables.dbo.exec(QStringLiteral("insert into lap (idoszak, intkod, sorsz, resz, taj, szviz) "
                                      "values (?, '1890', ?, ?, '123456788', ?)"),
                       {idoszak, sorsz, resz, szviz});
    const QDate first = QDate::fromString(idoszak + QStringLiteral(".01"), "yyyy.MM.dd");
    for (int i = 0; i < rows; ++i)
        st.tables.dbo.exec(
            QStringLiteral("insert into lapb (idoszak, intkod, sorsz, resz, tevkod, elltip, "
                           "onkep, apdatum, vizitdb) values (?, '1890', ?, ?, '01', 2, 1, ?, ?)"),
            {idoszak, sorsz, resz, first.addDays(i), vizitdb});
}

} // namespace exchangedata
