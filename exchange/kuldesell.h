#pragma once
// The check before sending: what would make the shipment wrong or
// incomplete at the county office, found in time. For every marked sheet:
// no order row (ELREND) or no patient (BETEG) for its TAJ, so that the sheet
// file leaves it out while its visits and diagnoses go; a value that will
// not convert; a TAJ that fails its check digit; visits that do not add up
// to the sheet's total. The check changes nothing; the user decides whether
// to go back or to send as it is.

#include "core/idoszak.h"

#include <QString>
#include <vector>

namespace engine {
class Database;
}

namespace exch {

struct Problema {
    QString sorsz, resz, idoszak; // the sheet
    QString leiras;               // what is wrong, in the user's words
    bool operator==(const Problema&) const = default;
};

// The problems of the marked sheets ("*") for the shipment of period p, in
// the order of period, serial number and part letter. Throws
// engine::DbError when a query cannot run.
std::vector<Problema> kuldesEllenorzes(engine::Database& db, core::Idoszak p);

// The list as plain text lines, for printing: a title, then one line per
// problem.
QString problemaSzoveg(const std::vector<Problema>& problemak, core::Idoszak p);

} // namespace exch
