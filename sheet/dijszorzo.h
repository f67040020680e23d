#pragma once
// The fee multipliers ("alapdíj-szorzó"): a visit is worth the period's base
// fee times a weight chosen by the sheet's order ordinal ELSZAM (1: first
// order, "1-14 vizitig"; any other value: repeated order, "15 vizittől"), the
// care type ELLTIP (2: nursing; above 2: therapy) and the patient's
// self-care category ONKEP. A visit with territorial supplement (TPOTL "I")
// counts 10 % more.
//
//                                          ONKEP 1   ONKEP 2   ONKEP 3
//   first order, nursing                     1.0       0.9       0.8
//   repeated order, nursing                  0.9       0.7       0.5
//   first order, therapy                     0.9       0.8       -
//   repeated order, therapy, before 2009.01  0.8       0.7       -
//   repeated order, therapy, from 2009.01    0.9       0.8       -
//
// The register's figures, the monthly summary and the lists each pick their
// own rows of this one table.

#include "core/idoszak.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace sheet {

// The rows of the table.
enum class DijSor {
    ElsoApolas,            // first order, nursing
    IsmeteltApolas,        // repeated order, nursing
    ElsoSzakirany,         // first order, therapy
    IsmeteltSzakiranyRegi, // repeated order, therapy, period before 2009.01
    IsmeteltSzakiranyUj,   // repeated order, therapy, period 2009.01 or later
};

// The period from which repeated therapy orders weigh as first ones.
inline constexpr core::Idoszak szakiranyUjSzorzoTol = core::hatar::ujSzorzok;

// The territorial supplement: a visit with TPOTL "I" counts this much more.
constexpr double teruletiPotlek = 0.1;

// One cell of the table; nullopt where the table has none (therapy with
// ONKEP 3, an ONKEP outside 1 to 3).
std::optional<double> dijszorzo(DijSor sor, int onkep);

// True for ELSZAM 1 (the first order); any other value, a blank one
// included, is a repeated order.
bool elsoRendeles(const QVariant& elszam);

// The row for a sheet's order ordinal and a visit's care type in the given
// period ("YYYY.MM", compared as text); nullopt for a care type below 2 or
// blank, which no row takes.
std::optional<DijSor> dijsor(const QVariant& elszam, const QVariant& elltip,
                             const QString& idoszak);

// The weight of a visit; nullopt when the table has no cell for it.
std::optional<double> dijszorzo(const QVariant& elszam, const QVariant& elltip,
                                const QVariant& onkep, const QString& idoszak);

// Nursing (ELLTIP 2) or therapy (above 2).
inline bool apolasiSor(DijSor s) {
    return s == DijSor::ElsoApolas || s == DijSor::IsmeteltApolas;
}

} // namespace sheet
