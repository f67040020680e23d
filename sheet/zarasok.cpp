#include "sheet/zarasok.h"

#include "engine/database.h"

#include <QVariant>

namespace sheet {

namespace {

ZarasRekord rekord(const engine::Query& q) {
    ZarasRekord z;
    if (q.isEmpty()) return z;
    z.van = true;
    z.idoszak = q.value(0, 0).toString().trimmed();
    z.zaras = QDate::fromString(q.value(0, 1).toString(), Qt::ISODate);
    return z;
}

} // namespace

ZarasRekord utolsoZaras(engine::Database& db) {
    // A blank closing date sorts first in the tag (blanks before digits), as
    // NULL does in SQL: descending, it comes last.
    return rekord(db.query(QStringLiteral(
        "select idoszak, zaras from zaras order by idoszak desc, zaras desc limit 1")));
}

ZarasRekord idoszakZarasa(engine::Database& db, const QString& idoszak) {
    return rekord(db.query(
        QStringLiteral("select idoszak, zaras from zaras where idoszak=? order by zaras limit 1"),
        {idoszak}));
}

QString datumSzoveg(const QDate& d) {
    return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd")) : QString();
}

QString isoDatum(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return {};
    if (v.typeId() == QMetaType::QDate) return datumSzoveg(v.toDate());
    return datumSzoveg(QDate::fromString(v.toString().left(10), Qt::ISODate));
}

} // namespace sheet
