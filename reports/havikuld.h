#pragma once
// The monthly summary checked against the shipment it goes with: while KULD
// still holds the period's files (db::kuldFajlNev, the letter case of the
// names aside), their sheets and visits are counted the
// way the summary counts the tables, so that a summary that does not match
// what the county office received is noticed before it is signed.

#include "core/idoszak.h"
#include "reports/haviadatok.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace reports {

struct KuldottAdatok {
    qint64 lapok = 0;           // rows of the sheet file
    qint64 sajatLapok = 0;      // of them the sheets of the period itself
    qint64 arvaVizitek = 0;     // visit rows whose sheet the sheet file lacks
    std::vector<HaviSor> sorok; // one per visit row, with its sheet's fields
};

// The file of KULD named `name` whatever its letter case; empty when none.
QString kuldFajl(const QString& kuldDir, const QString& name);

// Reads the shipment of period p from KULD: nullopt when the sheet or the
// visit file is missing, or the sheet file holds another period's shipment
// (its MODIDO) or no sheet. Throws engine::DbError when a file cannot be
// read as a table of the shipment's layout.
std::optional<KuldottAdatok> kuldemenyOlvas(const QString& kuldDir, const QString& intkod,
                                            core::Idoszak p);

// The lines that differ between the summary (its figures and its count of
// the period's own sheets) and the shipment; empty when they agree.
QStringList kuldemenyElteresek(const HaviAdatok& osszesito, qint64 sajatLapok,
                               const KuldottAdatok& kuldemeny);

// The warning shown for those lines.
QString kuldemenyElteresUzenet(const QStringList& elteresek);

} // namespace reports
