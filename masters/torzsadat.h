#pragma once
// The master records a sheet names, looked up by their codes: the patient by
// TAJ number (BETEG), a doctor's name by stamp number (ORVOS) and a BNO
// code's name (BNOTORZS). One behaviour for every caller: the code is taken
// without its surrounding blanks, a blank code finds nothing without asking,
// the values come back as stored (leading blanks kept; the tables pad on the
// right), and a query that cannot run throws engine::DbError for the caller
// to report. Read through SQL, so no shared table object moves.

#include <QString>

#include <optional>

namespace engine {
class Database;
}

namespace masters {

struct BetegTorzs {
    QString nev;
    QString kozigkod;
    QString cime1;
    QString cime2;
    QString aztip;
    QString szulh;
    QString szuli; // "YYYY.MM.DD"; empty when blank
    QString neme;  // "F", "N", or as stored
    // The sex choice of the forms: 0 "Férfi", 1 "Nő", -1 no selection.
    int nemIndex() const {
        return neme == QLatin1String("F") ? 0 : neme == QLatin1String("N") ? 1 : -1;
    }
};

std::optional<BetegTorzs> betegTajjal(engine::Database& db, const QString& taj);
// ONEV of the doctor.
std::optional<QString> orvosNeve(engine::Database& db, const QString& orvoskod);
// NEV of the BNO code.
std::optional<QString> bnoNeve(engine::Database& db, const QString& kod10);

} // namespace masters
