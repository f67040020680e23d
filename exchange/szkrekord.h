#pragma once
// The rows of the shipment files: the three queries over the local tables
// and the rules that turn one result row into the bytes of one record of a
// layout (db/kuldemenyminta.h), by the fields and conversions of
// db/kuldemenyforma.h. Pure functions: no file is touched here.
//
//     const exch::Minta& m = exch::minta(exch::lapMinta(p));
//     QByteArray rec = exch::lapRekord(m, row, p);   // throws AtalakitasHiba
//
// A record is what dBase III writes: the deletion flag (a blank), character
// fields left-aligned and blank-padded in code page 852, numbers right-
// aligned with integer digits, dates as eight digits, empty values blank.

#include "core/idoszak.h"
#include "db/kuldemenyforma.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <optional>
#include <utility>
#include <vector>

namespace exch {

// The layouts are the shipment's description's (db/kuldemenyminta.h).
using db::bnoMinta;
using db::fejlec;
using db::lapMinta;
using db::minta;
using db::Minta;
using db::MintaId;
using db::vizitMinta;

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
// Their columns are the fields of db/kuldemenyforma.h that have a local
// column, in that order; the enums below are their positions.
// Sheets with their order (ELREND) and patient (BETEG), in the order of
// period, serial number and part letter. Columns: see LapOszlop.
QString lapSql();
// Visit rows of the marked sheets, in the order of period, serial number,
// part letter and visit date. Columns: see VizitOszlop.
QString vizitSql();
// The diagnosis codes of the marked sheets: the key fields, then LAP's
// column of each kind of db::bnoTipusok(). Columns: see BnoOszlop.
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
    // the kinds in the order of db::bnoTipusok()
    B_BNOFO,
    B_BNOROV,
    B_BNOKI,
    B_BNOMELL,
    B_BNOELL,
    B_OSZLOPOK
};

// The diagnosis rows of a sheet: (BNOTIP, code) for each filled-in field in
// the order of db::bnoTipusok().
std::vector<std::pair<int, QString>> bnoSorok(const QVariantList& bnoRow);

// --- records (the layout's record length, flag byte first) ---
QByteArray lapRekord(const Minta& m, const QVariantList& row, core::Idoszak p);
QByteArray vizitRekord(const Minta& m, const QVariantList& row, core::Idoszak p);
std::vector<QByteArray> bnoRekordok(const Minta& m, const QVariantList& row, core::Idoszak p);

} // namespace exch
