#pragma once
// The rows of the shipment files: the three queries over the local tables
// and the rules that turn one result row into the bytes of one record of a
// layout (exchange/szkminta.h). Pure functions: no file is touched here.
//
//     const exch::Minta& m = exch::minta(exch::lapMinta(p));
//     QByteArray rec = exch::lapRekord(m, row, p);   // throws AtalakitasHiba
//
// A record is what dBase III writes: the deletion flag (a blank), character
// fields left-aligned and blank-padded in code page 852, numbers right-
// aligned with integer digits, dates as eight digits, empty values blank.

#include "core/idoszak.h"
#include "exchange/szkminta.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <optional>
#include <utility>
#include <vector>

namespace exch {

// A value of a marked sheet that cannot go into the file: the sending stops
// before any file or table changes, and the message names the sheet and
// the field.
struct AtalakitasHiba {
    QString sorsz, resz, idoszak; // the sheet
    QString mezo;                 // the field of the shipment file
    QString ertek;                // the value as stored
    QString ok;                   // why it does not go in
    QString uzenet() const;
};

// --- the three queries (bound value: the mark "*") ---
// Sheets with their order (ELREND) and patient (BETEG), in the order of
// period, serial number and part letter. Columns: see LapOszlop.
QString lapSql();
// Visit rows of the marked sheets, in the order of period, serial number,
// part letter and visit date. Columns: see VizitOszlop.
QString vizitSql();
// The diagnosis codes of the marked sheets. Columns: see BnoOszlop.
QString bnoSql();
QVariantList sqlParams();

enum LapOszlop {
    L_ULVKOD,
    L_FINKOD,
    L_SORSZAM,
    L_RESZ,
    L_IDOSZAK,
    L_ORVOSKOD,
    L_JORVKOD,
    L_TAJ,
    L_KOZIGKOD,
    L_TERPOT,
    L_CIM,
    L_NEME,
    L_SZULIDO,
    L_TEVKODOK,
    L_ELBOCS,
    L_APNAP,
    L_ELSZAM,
    L_ELREND,
    L_SZAKVET,
    L_ELVIZDB,
    L_GYAK,
    L_ELSZVIZ,
    L_LEZDAT,
    L_TERKAT,
    L_AZTIP,
    L_ALLAMP,
    L_ENGSZAM,
    L_ENGDAT,
    L_OVIZITDB,
    L_MODTIPUS,
    L_OSZLOPOK
};
enum VizitOszlop {
    V_ULVKOD,
    V_FINKOD,
    V_SORSZAM,
    V_RESZ,
    V_IDOSZAK,
    V_TEVKOD,
    V_ELLTIP,
    V_ONKEP,
    V_DATUMTOL,
    V_APTAJ,
    V_OSZLOPOK
};
enum BnoOszlop {
    B_ULVKOD,
    B_FINKOD,
    B_SORSZAM,
    B_RESZ,
    B_IDOSZAK,
    B_BNOKI,
    B_BNOROV,
    B_BNOFO,
    B_BNOMELL,
    B_BNOELL,
    B_OSZLOPOK
};

// --- conversions ---
// A stored text read strictly as a whole number: digits with an optional
// sign, blanks around them allowed; anything else (and a blank) is nullopt.
std::optional<qlonglong> egesz(const QVariant& v);
// A period as the office writes it: "2016.01" -> "201601" (every point out).
QString tomorIdoszak(const QString& idoszak);
// TERPOT: 1 without territorial supplement (TPOTL "N"), 2 otherwise.
int terpot(const QVariant& tpotl);
// MODTIPUS in the file: "P" for a sheet of another period than p that has no
// change kind of its own, else the sheet's own (possibly empty).
QString modtipus(const QString& lapIdoszak, const QString& lapModtipus, core::Idoszak p);
// The diagnosis rows of a sheet: (BNOTIP, code) for each filled-in field in
// the order main (3), underlying (5), inpatient (1), accompanying (4),
// influencing factor (6).
std::vector<std::pair<int, QString>> bnoSorok(const QVariantList& bnoRow);

// --- records (the layout's record length, flag byte first) ---
QByteArray lapRekord(const Minta& m, const QVariantList& row, core::Idoszak p);
QByteArray vizitRekord(const Minta& m, const QVariantList& row, core::Idoszak p);
std::vector<QByteArray> bnoRekordok(const Minta& m, const QVariantList& row, core::Idoszak p);

} // namespace exch
