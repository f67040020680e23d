#include "masters/torzsadat.h"

#include "core/kozos.h"
#include "engine/database.h"

#include <QDate>

namespace masters {

namespace {

QString szoveg(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

// A date as SQL gives it ("YYYY-MM-DD") in the program's form "YYYY.MM.DD".
QString datum(const QVariant& v) {
    if (v.isNull()) return {};
    const QDate d = v.typeId() == QMetaType::QDate
                        ? v.toDate()
                        : QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd")) : QString();
}

std::optional<QString> egyNev(engine::Database& db, const char* sql, const QString& kod) {
    if (kozos::ures(kod)) return std::nullopt;
    const engine::Query q = db.query(QString::fromLatin1(sql), {kod.trimmed()});
    if (q.isEmpty()) return std::nullopt;
    return szoveg(q.value(0, 0));
}

} // namespace

std::optional<BetegTorzs> betegTajjal(engine::Database& db, const QString& taj) {
    if (kozos::ures(taj)) return std::nullopt;
    const engine::Query q =
        db.query(QStringLiteral("select nev, kozigkod, cime1, cime2, aztip, szulh, szuli, neme "
                                "from beteg where taj = ? limit 1"),
                 {taj.trimmed()});
    if (q.isEmpty()) return std::nullopt;
    BetegTorzs b;
    b.nev = szoveg(q.value(0, 0));
    b.kozigkod = szoveg(q.value(0, 1));
    b.cime1 = szoveg(q.value(0, 2));
    b.cime2 = szoveg(q.value(0, 3));
    b.aztip = szoveg(q.value(0, 4));
    b.szulh = szoveg(q.value(0, 5));
    b.szuli = datum(q.value(0, 6));
    b.neme = szoveg(q.value(0, 7));
    return b;
}

std::optional<QString> orvosNeve(engine::Database& db, const QString& orvoskod) {
    return egyNev(db, "select onev from orvos where orvoskod = ? limit 1", orvoskod);
}

std::optional<QString> bnoNeve(engine::Database& db, const QString& kod10) {
    return egyNev(db, "select nev from bnotorzs where kod10 = ? limit 1", kod10);
}

} // namespace masters
