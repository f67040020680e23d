#pragma once
// Helpers of the import tests: the county office's files written with the
// engine's table builder, sheets and visits put into a started program's
// tables, and a table file's bytes for "nothing changed" checks.

#include "core/appstate.h"
#include "engine/dbfheader.h"
#include "engine/tablebuilder.h"
#include "support/testsupport.h"

#include <QDate>
#include <QString>
#include <QVariant>
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
